#pragma once

#include <QWidget>

class QLabel;

// An indeterminate progress bar with a caption under it ("加载中…").
class LoadingIndicator : public QWidget {
    Q_OBJECT
public:
    // `topMargin` pushes it down from the top of its place.
    explicit LoadingIndicator(const QString& text, int topMargin = 80, QWidget* parent = nullptr);
    QString text() const;

private:
    QLabel* m_label = nullptr;
};
