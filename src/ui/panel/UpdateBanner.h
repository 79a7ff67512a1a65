#pragma once

#include "update/UpdateInfo.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// "发现新版本 v1.4.2" with a download button and an ignore button.
class UpdateBanner : public QWidget {
    Q_OBJECT
public:
    explicit UpdateBanner(QWidget* parent = nullptr);

    void setUpdate(const UpdateInfo& update);
    const UpdateInfo& update() const { return m_update; }

    // Opens a web address in the browser; replaced in tests.
    std::function<void(const QUrl&)> openUrl;

    QPushButton* downloadButton() const { return m_download; }
    QPushButton* ignoreButton() const { return m_ignore; }
    // The notes line as shown: plain text, elided to the banner's width.
    QString notesText() const;

signals:
    void ignoreRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void download();
    void elideNotes();

    UpdateInfo m_update;
    QLabel* m_title = nullptr;
    QLabel* m_notes = nullptr;
    QString m_plainNotes;
    QPushButton* m_download = nullptr;
    QPushButton* m_ignore = nullptr;
};
