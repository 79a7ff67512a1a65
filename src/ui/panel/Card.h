#pragma once

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

// The rounded, hairline-outlined surface that groups the panel's content.
// Form and Market cards pad their content by 14 px; Settings cards hold rows
// that run edge to edge and are not padded.
class Card : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Form, Market, Settings };

    static constexpr int cornerRadius = 12;
    static constexpr int padding = 14;

    // Takes ownership of `content`, if any.
    explicit Card(Kind kind = Kind::Market, QWidget* content = nullptr, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }

    QWidget* content() const { return m_content; }
    // Takes ownership of `content` and deletes the previous one.
    void setContent(QWidget* content);

    // The padded column the content sits in, for callers that would rather
    // stack several widgets than wrap them in one.
    QVBoxLayout* contentLayout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    QVBoxLayout* m_layout;
    // Guarded: callers may delete the content themselves.
    QPointer<QWidget> m_content;
};
