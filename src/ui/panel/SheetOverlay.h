#pragma once

#include <QPointer>
#include <QWidget>

// Shows a sheet modally over the panel: a dimmed layer covering the whole
// host with the sheet centred on it. Everything under the layer is disabled
// until the sheet closes, so neither the pointer nor the keyboard reaches it;
// the sheet lives inside the panel's own window, so clicking in it never
// counts as a click outside the panel.
class SheetOverlay : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 12;

    // Takes ownership of `sheet`; connect the sheet's "done" signal to
    // dismiss(), which removes the overlay and the sheet.
    static SheetOverlay* present(QWidget* host, QWidget* sheet)
    {
        return new SheetOverlay(host, sheet);
    }

    QWidget* sheet() const { return m_sheet; }
    // The overlay currently shown over `host`, if any.
    static SheetOverlay* current(QWidget* host);

    void dismiss();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    SheetOverlay(QWidget* host, QWidget* sheet);
    void place();

    QPointer<QWidget> m_host;
    QWidget* m_sheet;
    QList<QPointer<QWidget>> m_disabled;
    bool m_dismissed = false;
};
