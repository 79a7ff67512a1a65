#pragma once

#include <QStringList>
#include <QWidget>

// A row of equally wide segments of which exactly one is selected, drawn as
// one rounded dark strip with the selected segment raised. Used to switch the
// panel's tabs (Default) and, tighter, inside forms (Compact).
//
// Tab reaches it, and the arrow keys (Home and End too) move the selection.
// A segment under the pointer lights up. Disabled, the whole row dims and
// nothing lights up.
class SegmentedTabs : public QWidget {
    Q_OBJECT
public:
    enum class Style { Default, Compact };

    static constexpr int cornerRadius = 7;
    static constexpr int verticalPadding = 6;
    static constexpr int fontPixelSize = 12;

    explicit SegmentedTabs(QStringList labels, Style style = Style::Default,
                           QWidget* parent = nullptr);

    QStringList labels() const { return m_labels; }
    int count() const { return int(m_labels.size()); }
    Style style() const { return m_style; }
    int horizontalPadding() const;

    // -1 only when there are no segments.
    int selection() const { return m_selection; }
    // Out-of-range indices are ignored.
    void setSelection(int index);

    // Where segment `index` lies in widget coordinates; empty when out of
    // range.
    QRect segmentRect(int index) const;
    int segmentAt(const QPoint& pos) const;
    // The segment under the pointer, -1 for none (and while disabled).
    int hovered() const { return isEnabled() ? m_hovered : -1; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont labelFont(bool selected) const;
    QColor labelColor(int index) const;
    void setHovered(int index);

    QStringList m_labels;
    Style m_style;
    int m_selection;
    int m_pressed = -1;
    int m_hovered = -1;
};
