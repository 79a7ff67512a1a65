#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// A small sheet that asks before something is lost: a title, what will
// happen, "取消" and the action's own button. Emits `confirmed()` before
// `finished()` when the user goes ahead, and only `finished()` otherwise.
class ConfirmSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{320, 160};

    ConfirmSheet(const QString& title, const QString& text, const QString& action,
                 QWidget* parent = nullptr);

    QString text() const;
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }

    void confirm();
    void cancel();

signals:
    void confirmed();
    void finished();

private:
    QLabel* m_text = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_confirm = nullptr;
};
