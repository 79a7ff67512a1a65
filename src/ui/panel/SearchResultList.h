#pragma once

#include "market/SearchParser.h"

#include <QSet>
#include <QWidget>

// The results of a board or fund search under the add form's field: one row
// per entry with its name, code and kind. Entries already watched are marked
// "已添加" and can be neither selected nor chosen. The keyboard stays in the
// field, which moves the selection here (Up/Down) and chooses it (Return).
class SearchResultList : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowHeight = 30;

    explicit SearchResultList(QWidget* parent = nullptr);

    // New results: nothing selected.
    void setHits(const QList<SearchHit>& hits);
    const QList<SearchHit>& hits() const { return m_hits; }
    // The codes on the watch list; a selected entry that joins them is
    // selected no more.
    void setWatchedCodes(const QSet<QString>& codes);
    bool isWatched(int row) const;

    int count() const { return int(m_hits.size()); }
    // The selected row, -1 for none.
    int currentRow() const { return m_current; }
    // Moves the selection to the next entry that can be chosen below
    // (`direction` > 0) or above, starting at the first or the last row when
    // nothing is selected; past the ends it stays where it is.
    void moveSelection(int direction);
    void clearSelection();
    // Chooses the selected entry, when there is one.
    void chooseCurrent();

    QRect rowRect(int row) const;
    // "name|code|kind", and "|已添加" for a watched entry.
    QString rowText(int row) const;

    QSize sizeHint() const override;

signals:
    void chosen(const SearchHit& hit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int rowAt(const QPoint& point) const;
    void setHovered(int row);

    QList<SearchHit> m_hits;
    QSet<QString> m_watched;
    int m_current = -1;
    int m_hovered = -1;
    int m_pressed = -1;
};
