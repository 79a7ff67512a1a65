#include "FundView.h"

#include "FundCard.h"
#include "HoldingsSummaryCard.h"
#include "IconLabel.h"
#include "LoadingIndicator.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "app/MenuBarController.h"
#include "market/Format.h"
#include "market/Money.h"

#include <QLabel>
#include <QVBoxLayout>

FundView::FundView(MenuBarController& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    // Nothing to show: loading, or the network error of the last refresh.
    m_empty = new QWidget;
    auto* emptyColumn = new QVBoxLayout(m_empty);
    emptyColumn->setSpacing(8);
    emptyColumn->addStretch(1);
    m_loading = new LoadingIndicator(QStringLiteral("加载基金数据…"), 0);
    emptyColumn->addWidget(m_loading);
    m_noFunds =
        PanelStyle::label(QStringLiteral("还没有自选基金\n点右上角的齿轮，在“自选基金”中添加"), 12,
                          Palette::secondaryText());
    m_noFunds->setAlignment(Qt::AlignCenter);
    emptyColumn->addWidget(m_noFunds);
    m_error = new QWidget;
    auto* errorColumn = new QVBoxLayout(m_error);
    errorColumn->setSpacing(8);
    errorColumn->addWidget(
        new IconLabel(QStringLiteral("wifi.exclamationmark"), Palette::secondaryText(), 22), 0,
        Qt::AlignHCenter);
    m_errorText = PanelStyle::label(QString(), 11, Palette::secondaryText());
    m_errorText->setWordWrap(true);
    m_errorText->setAlignment(Qt::AlignCenter);
    errorColumn->addWidget(m_errorText, 0, Qt::AlignHCenter);
    emptyColumn->addWidget(m_error);
    emptyColumn->addStretch(1);
    layout->addWidget(m_empty);

    m_scroll = new QScrollArea;
    m_cardColumn = PanelStyle::makeTabColumn(m_scroll);
    m_summary = new HoldingsSummaryCard;
    m_summary->hide();
    m_cardColumn->addWidget(m_summary);
    m_cardColumn->addStretch(1);
    layout->addWidget(m_scroll);
    refresh();
}

void FundView::refresh()
{
    const auto& funds = m_controller.funds();
    const auto& error = m_controller.fundErrorMessage();
    const bool noneWatched = m_controller.configStore().config().funds.isEmpty();
    m_empty->setVisible(funds.isEmpty());
    m_scroll->setVisible(!funds.isEmpty());
    // Nothing would ever arrive: say how to add one rather than load for ever.
    m_noFunds->setVisible(funds.isEmpty() && noneWatched);
    m_loading->setVisible(funds.isEmpty() && !noneWatched && !error);
    m_error->setVisible(funds.isEmpty() && !noneWatched && error.has_value());
    m_errorText->setText(error.value_or(QString()));

    const Holdings& holdings = m_controller.holdingsStore().holdings();
    const Profit::Summary summary = m_controller.portfolio();
    m_summary->setVisible(!summary.isEmpty());
    m_summary->setSummary(summary, holdings.hideAmounts);

    // One card per fund, reused across refreshes, below the summary.
    while (m_cards.size() > funds.size())
        delete m_cards.takeLast();
    while (m_cards.size() < funds.size()) {
        auto* card = new FundCard;
        m_cardColumn->insertWidget(int(m_cards.size()) + 1, card);
        m_cards.append(card);
    }
    for (qsizetype i = 0; i < funds.size(); ++i) {
        m_cards[i]->setFund(funds[i], m_controller.fundStockChanges());
        m_cards[i]->setTrust(m_controller.estimateTrust(funds[i]));
        const auto position = holdings.fund(funds[i].quote.code);
        m_cards[i]->setHolding(
            position ? HoldingStrip::positionCells(
                           QStringLiteral("份额"),
                           Format::grouped(Money::text(position->quantity, Profit::shareDecimals)),
                           Profit::fund(*position, funds[i]), holdings.hideAmounts)
                     : QList<HoldingStrip::Cell>{});
    }
}

bool FundView::isShowingLoading() const
{
    return !m_empty->isHidden() && !m_loading->isHidden();
}

bool FundView::isShowingNoFunds() const
{
    return !m_empty->isHidden() && !m_noFunds->isHidden();
}

bool FundView::isShowingError() const
{
    return !m_empty->isHidden() && !m_error->isHidden();
}

QString FundView::errorText() const
{
    return m_errorText->text();
}
