#include "UpdateBanner.h"

#include "IconLabel.h"
#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

UpdateBanner::UpdateBanner(QWidget* parent) : QWidget(parent)
{
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 8, 14, 8);
    row->setSpacing(8);
    row->addWidget(new IconLabel(QStringLiteral("arrow.up.circle.fill"), Palette::brandGold(), 16));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    m_title = PanelStyle::label(QString(), 12, Palette::primaryText(), QFont::Medium);
    m_notes = PanelStyle::label(QString(), 10, Palette::secondaryText());
    // However long the notes, they take the room there is and no more.
    m_notes->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    texts->addWidget(m_title);
    texts->addWidget(m_notes);
    row->addLayout(texts, 1);

    m_download = new QPushButton(QStringLiteral("下载更新"));
    m_download->setFont(PanelStyle::font(11, QFont::Medium));
    m_download->setCursor(Qt::PointingHandCursor);
    m_download->setStyleSheet(
        QStringLiteral(
            "QPushButton { background: %1; color: #1f1f1f; border: none; border-radius: 5px;"
            " padding: 3px 10px; }")
            .arg(Palette::brandGold().name()));
    connect(m_download, &QPushButton::clicked, this, &UpdateBanner::download);
    row->addWidget(m_download);

    m_ignore = new QPushButton;
    m_ignore->setFlat(true);
    m_ignore->setToolTip(QStringLiteral("忽略此版本"));
    m_ignore->setIcon(Icons::icon(QStringLiteral("xmark"), Palette::secondaryText(), 9));
    m_ignore->setIconSize(QSize(9, 9));
    m_ignore->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px; }"));
    connect(m_ignore, &QPushButton::clicked, this, &UpdateBanner::ignoreRequested);
    row->addWidget(m_ignore);
}

void UpdateBanner::setUpdate(const UpdateInfo& update)
{
    m_update = update;
    m_title->setText(QStringLiteral("发现新版本 v") + update.version);
    m_plainNotes = plainNotes(update.notes.value_or(QString()));
    m_notes->setToolTip(m_plainNotes);
    m_notes->setVisible(!m_plainNotes.isEmpty());
    elideNotes();
}

QString UpdateBanner::notesText() const
{
    return m_notes->text();
}

void UpdateBanner::elideNotes()
{
    // One line, cut with "…" where the banner ends; the whole text is in
    // the tool tip.
    const int room = std::max(40, m_notes->width());
    m_notes->setText(m_notes->fontMetrics().elidedText(m_plainNotes, Qt::ElideRight, room));
}

void UpdateBanner::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    elideNotes();
}

void UpdateBanner::download()
{
    // The address comes from the network: only ever open a web page.
    if (const auto url = m_update.openableDownloadUrl())
        openUrl(*url);
}

void UpdateBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgbF(0.18f, 0.2f, 0.22f));
}
