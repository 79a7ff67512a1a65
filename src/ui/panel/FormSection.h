#pragma once

#include <QWidget>

class FormLabel;

// A captioned form row: the caption above, the field below, both flush left.
class FormSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 8;

    // Takes ownership of `content`.
    FormSection(const QString& label, QWidget* content, QWidget* parent = nullptr);

    FormLabel* label() const { return m_label; }
    QWidget* content() const { return m_content; }

private:
    FormLabel* m_label;
    QWidget* m_content;
};
