#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>

// One line of text drawn in a colour that is looked up at every paint, so a
// colour that depends on state (a price's rise or fall) needs no setter of
// its own.
class PaintedLabel : public QWidget {
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    explicit PaintedLabel(const QString& text = {}, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    // The colour source is called at every paint. The default is
    // Palette::primaryText.
    void setColor(ColorSource source);
    void setColor(const QColor& color);
    QColor color() const;

    // Horizontal placement inside a wider label; the text is always centred
    // vertically. Left by default.
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }

    // With an elide mode the label may shrink below its text and shortens it
    // with "…"; without one (the default) it never becomes narrower than its
    // text.
    void setElideMode(Qt::TextElideMode mode);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The panel's font (PanelStyle::font) at `pixelSize` pixels and `weight`.
    static QFont pixelFont(int pixelSize, QFont::Weight weight = QFont::Normal);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
    ColorSource m_color;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    Qt::TextElideMode m_elide = Qt::ElideNone;
};
