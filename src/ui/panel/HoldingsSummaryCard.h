#pragma once

#include "HoldingStrip.h"
#include "market/Profit.h"

#include <QWidget>

// The head of the fund tab: everything the user holds, added up.
//
//   我的持仓                               3 只基金 · 黄金
//   持有金额
//   ¥16,581.57
//   今日收益 估       持有收益          收益率
//   +129.07          +2,041.57         +14.04%
//   不含 1 只净值滞后的基金
//
// Red for a gain, green for a loss; amounts (not the rate) read "****"
// while the user hides them.
class HoldingsSummaryCard : public QWidget {
    Q_OBJECT
public:
    explicit HoldingsSummaryCard(QWidget* parent = nullptr);

    void setSummary(const Profit::Summary& summary, bool hidden);

    struct Texts {
        QString scope; // what is added up: "3 只基金 · 黄金"
        QString value;
        QList<HoldingStrip::Cell> cells;
        QString note; // what is left out, empty when nothing
        bool operator==(const Texts&) const = default;
    };
    const Texts& texts() const { return m_texts; }
    static Texts textsFor(const Profit::Summary& summary, bool hidden);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Texts m_texts;
    std::optional<qint64> m_value;
};
