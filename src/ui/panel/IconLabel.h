#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// One of the panel's icons standing on its own beside a text (a warning
// triangle, the update arrow, a group's symbol). It is drawn at every paint
// for the pixel ratio of whatever it is painted on, so it stays sharp when
// the panel opens on a denser screen than the one it was built for, or moves
// to one.
class IconLabel : public QWidget {
    Q_OBJECT
public:
    // `name` in `color`, `size` pixels square, centred in a frame at least
    // `frameWidth` wide.
    IconLabel(const QString& name, const QColor& color, int size, int frameWidth = 0,
              QWidget* parent = nullptr);

    QString iconName() const { return m_name; }
    int iconSize() const { return m_size; }
    // Another icon in the same place; an empty name shows none.
    void setIcon(const QString& name, const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    QColor m_color;
    int m_size;
    int m_frameWidth;
};
