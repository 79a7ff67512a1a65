#include "SearchResultList.h"

#include "Palette.h"
#include "PanelStyle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kPadding = 8;
constexpr int kGap = 6;
constexpr int kCorner = 6;

QString addedText()
{
    return QStringLiteral("已添加");
}

} // namespace

SearchResultList::SearchResultList(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void SearchResultList::setHits(const QList<SearchHit>& hits)
{
    m_hits = hits;
    m_current = -1;
    m_pressed = -1;
    setHovered(-1);
    updateGeometry();
    update();
}

void SearchResultList::setWatchedCodes(const QSet<QString>& codes)
{
    m_watched = codes;
    if (m_current >= 0 && isWatched(m_current))
        m_current = -1;
    update();
}

bool SearchResultList::isWatched(int row) const
{
    return row >= 0 && row < count() && m_watched.contains(m_hits.at(row).code);
}

void SearchResultList::moveSelection(int direction)
{
    if (direction == 0)
        return;
    const int step = direction > 0 ? 1 : -1;
    int row = m_current >= 0 ? m_current + step : (step > 0 ? 0 : count() - 1);
    for (; row >= 0 && row < count(); row += step) {
        if (!isWatched(row)) {
            m_current = row;
            update();
            return;
        }
    }
}

void SearchResultList::clearSelection()
{
    m_current = -1;
    update();
}

void SearchResultList::chooseCurrent()
{
    if (m_current >= 0 && !isWatched(m_current))
        emit chosen(m_hits.at(m_current));
}

QRect SearchResultList::rowRect(int row) const
{
    return {0, row * rowHeight, width(), rowHeight};
}

QString SearchResultList::rowText(int row) const
{
    const SearchHit& hit = m_hits.at(row);
    QString text = hit.name + u'|' + hit.code + u'|' + hit.kind;
    if (isWatched(row))
        text += u'|' + addedText();
    return text;
}

QSize SearchResultList::sizeHint() const
{
    return {200, count() * rowHeight};
}

int SearchResultList::rowAt(const QPoint& point) const
{
    if (!rect().contains(point))
        return -1;
    const int row = point.y() / rowHeight;
    return row < count() ? row : -1;
}

void SearchResultList::setHovered(int row)
{
    if (row == m_hovered)
        return;
    m_hovered = row;
    setCursor(row >= 0 && !isWatched(row) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

void SearchResultList::mouseMoveEvent(QMouseEvent* event)
{
    setHovered(rowAt(event->position().toPoint()));
}

void SearchResultList::leaveEvent(QEvent*)
{
    setHovered(-1);
}

void SearchResultList::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint()) : -1;
}

void SearchResultList::mouseReleaseEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint());
    const bool click = event->button() == Qt::LeftButton && row >= 0 && row == m_pressed;
    m_pressed = -1;
    if (click && !isWatched(row))
        emit chosen(m_hits.at(row));
}

void SearchResultList::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFont nameFont = PanelStyle::font(12);
    const QFont smallFont = PanelStyle::font(11);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics smallMetrics(smallFont);
    const QColor secondary = Palette::secondaryText();

    for (int i = 0; i < count(); ++i) {
        const SearchHit& hit = m_hits.at(i);
        const bool watched = isWatched(i);
        const QRect row = rowRect(i);
        if (i == m_current || (i == m_hovered && !watched)) {
            QPainterPath shape;
            shape.addRoundedRect(QRectF(row).adjusted(0, 1, 0, -1), kCorner, kCorner);
            p.fillPath(shape, i == m_current ? Palette::brandSelectedBG() : Palette::zebraLight());
        }
        QRect text = row.adjusted(kPadding, 0, -kPadding, 0);

        // From the right: "已添加", the kind; the name and the code take the rest.
        p.setFont(smallFont);
        if (watched) {
            p.setPen(secondary);
            p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, addedText());
            text.setRight(text.right() - smallMetrics.horizontalAdvance(addedText()) - kGap);
        }
        p.setPen(watched ? secondary : Palette::brandGold());
        p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, hit.kind);
        text.setRight(text.right() - smallMetrics.horizontalAdvance(hit.kind) - 2 * kGap);

        const int codeWidth = smallMetrics.horizontalAdvance(hit.code);
        const int nameRoom = std::max(0, text.width() - codeWidth - kGap);
        const QString name = nameMetrics.elidedText(hit.name, Qt::ElideRight, nameRoom);
        p.setFont(nameFont);
        p.setPen(watched ? secondary : Palette::primaryText());
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, name);
        text.setLeft(text.left() + nameMetrics.horizontalAdvance(name) + kGap);
        p.setFont(smallFont);
        p.setPen(secondary);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, hit.code);
    }
}
