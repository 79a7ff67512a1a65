#pragma once

#include <QLineEdit>

#include <optional>

// A single-line text field of the panel's forms: a rounded dark well whose
// outline turns gold while the field has the keyboard focus.
class FormTextField : public QLineEdit {
    Q_OBJECT
public:
    static constexpr int fieldHeight = 30;
    static constexpr int cornerRadius = 6;
    static constexpr int horizontalPadding = 8;
    static constexpr int verticalPadding = 5;

    // Without a width the field stretches to what its layout gives it.
    explicit FormTextField(const QString& placeholder, std::optional<int> width = {},
                           QWidget* parent = nullptr);

    // What the outline looks like right now.
    QColor outlineColor() const;
    qreal outlineWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyTextColors();
};
