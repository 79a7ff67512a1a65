#pragma once

#include "HoldingStrip.h"
#include "market/EstimateLog.h"
#include "market/QuoteRecords.h"

#include <QMap>
#include <QWidget>

// One watched fund: its last published value and change, the date of that
// value, the intraday estimate when there is one, what the user holds of it
// (a row of HoldingStrip cells under the value, when there is a holding), and
// its top holdings with their changes today. Hovering the estimate (or the
// value row when there is none) tells how far to trust it.
class FundCard : public QWidget {
    Q_OBJECT
public:
    static constexpr int maxHoldings = 5;
    static constexpr int rankWidth = 28, nameWidth = 84, weightWidth = 48, changeWidth = 62;

    explicit FundCard(QWidget* parent = nullptr);

    void setFund(const FundDetail& fund, const QMap<QString, double>& changes);
    const FundDetail& fund() const { return m_fund; }

    // The texts of the summary block: the published value and its change,
    // and at the right of the date row either the estimate ("盘中估算" and
    // its value), "净值已更新" once the day's value is out, or nothing.
    struct SummaryTexts {
        QString value;
        QString change;
        QString date;
        QString estimateLabel;
        QString estimateValue;
        bool operator==(const SummaryTexts&) const = default;
    };
    SummaryTexts summaryTexts() const;

    // What the holdings table shows, row by row: the change text ("--"
    // when the stock has no change today).
    QStringList changeTexts() const;
    int holdingRows() const;

    // The user's holding of the fund: shares, the day's profit, the holding
    // profit; none for an empty list.
    void setHolding(QList<HoldingStrip::Cell> cells);
    const QList<HoldingStrip::Cell>& holdingCells() const { return m_holding; }

    // The figures behind the tool tip; without them there is none. Nothing
    // on the card itself changes.
    void setTrust(std::optional<EstimateTrust> trust) { m_trust = std::move(trust); }
    const std::optional<EstimateTrust>& trust() const { return m_trust; }
    // Where hovering shows the tool tip: the "盘中估算" label and value, or the
    // value row when there is no estimate.
    QRect trustArea() const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int summaryHeight() const;

    FundDetail m_fund;
    QMap<QString, double> m_changes;
    QList<HoldingStrip::Cell> m_holding;
    std::optional<EstimateTrust> m_trust;
};
