#pragma once

#include <QAbstractButton>

// A small borderless button showing one of the panel's icons: a 14 px
// picture in a 28×28 frame that lights up under the pointer.
class IconButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int frameSize = 28;
    static constexpr int iconSize = 14;
    static constexpr int cornerRadius = 6;

    IconButton(const QString& iconName, const QString& toolTip, QWidget* parent = nullptr);

    QString iconName() const { return m_iconName; }
    void setIconName(const QString& name);
    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setHovered(bool hovered);

    QString m_iconName;
    bool m_hovered = false;
};
