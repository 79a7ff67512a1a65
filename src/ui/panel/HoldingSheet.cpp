#include "HoldingSheet.h"

#include "FormSection.h"
#include "FormTextField.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "config/HoldingsStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* errorLabel(const char* name)
{
    QLabel* label = PanelStyle::label(QString(), 10, Palette::up());
    label->setObjectName(QString::fromLatin1(name));
    label->hide();
    return label;
}

void showError(QLabel* label, const QString& error)
{
    label->setText(error);
    label->setVisible(!error.isEmpty());
}

} // namespace

HoldingSheet::HoldingSheet(HoldingsStore& store, HoldingForm::Target target, const QString& code,
                           const QString& name, QWidget* parent)
    : QWidget(parent), m_store(store), m_target(target), m_code(code)
{
    using HoldingForm::Target;
    const bool fund = target == Target::fund;
    const std::optional<Profit::Position> held =
        fund ? store.holdings().fund(code) : store.holdings().gold;

    setFixedSize(sheetSize);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);

    m_title = PanelStyle::label(fund ? QStringLiteral("编辑持仓") : QStringLiteral("黄金持仓"), 14,
                                Palette::primaryText(), QFont::DemiBold);
    column->addWidget(m_title);
    auto* subject = PanelStyle::label(fund ? name + QStringLiteral(" (") + code + u')'
                                           : QStringLiteral("沪金主连 (CNY/g)"),
                                      11, Palette::secondaryText());
    subject->setTextFormat(Qt::PlainText);
    column->addWidget(subject);

    m_quantity =
        new FormTextField(fund ? QStringLiteral("如 10000.00") : QStringLiteral("如 20.5"));
    m_quantity->setObjectName(QStringLiteral("quantityField"));
    m_quantityError = errorLabel("quantityError");
    column->addWidget(
        new FormSection(fund ? QStringLiteral("持有份额") : QStringLiteral("持有克数"),
                        field(m_quantity, HoldingForm::quantityUnit(target), m_quantityError)));
    m_cost = new FormTextField(QStringLiteral("选填，如 1.2345"));
    m_cost->setObjectName(QStringLiteral("costField"));
    m_costError = errorLabel("costError");
    column->addWidget(new FormSection(QStringLiteral("成本价（选填）"),
                                      field(m_cost, HoldingForm::costUnit(target), m_costError)));
    column->addWidget(PanelStyle::label(QStringLiteral("填写成本价后，可看到持有收益和收益率"), 10,
                                        Palette::mutedText()));

    if (held) {
        m_quantity->setText(HoldingForm::quantityText(target, *held));
        m_cost->setText(HoldingForm::costText(*held));
    }
    // A correction takes the complaint away; Return in either field saves.
    // Escape is the overlay's: it closes the sheet, and nothing is stored.
    connect(m_quantity, &QLineEdit::textEdited, this, [this] { m_quantityError->hide(); });
    connect(m_cost, &QLineEdit::textEdited, this, [this] { m_costError->hide(); });
    for (FormTextField* f : {m_quantity, m_cost})
        connect(f, &QLineEdit::returnPressed, this, &HoldingSheet::save);

    column->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_clear = PanelStyle::borderedButton(QStringLiteral("清除持仓"));
    m_clear->setObjectName(QStringLiteral("clearButton"));
    m_clear->setVisible(held.has_value());
    connect(m_clear, &QPushButton::clicked, this, &HoldingSheet::clear);
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    m_cancel = PanelStyle::borderedButton(QStringLiteral("取消"));
    connect(m_cancel, &QPushButton::clicked, this, &HoldingSheet::cancel);
    buttons->addWidget(m_cancel);
    m_save = PanelStyle::prominentButton(QStringLiteral("保存"));
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_save->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &HoldingSheet::save);
    buttons->addWidget(m_save);
    column->addLayout(buttons);

    m_quantity->setFocus();
}

QWidget* HoldingSheet::field(FormTextField* field, const QString& unit, QLabel* error)
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(field, 1);
    auto* unitLabel = PanelStyle::label(unit, 12, Palette::secondaryText());
    unitLabel->setMinimumWidth(36);
    row->addWidget(unitLabel);
    column->addLayout(row);
    column->addWidget(error);
    return box;
}

QString HoldingSheet::title() const
{
    return m_title->text();
}

QString HoldingSheet::quantityError() const
{
    return m_quantityError->isHidden() ? QString() : m_quantityError->text();
}

QString HoldingSheet::costError() const
{
    return m_costError->isHidden() ? QString() : m_costError->text();
}

void HoldingSheet::save()
{
    const HoldingForm::Outcome outcome =
        HoldingForm::read(m_target, m_quantity->text(), m_cost->text());
    showError(m_quantityError, outcome.quantityError);
    showError(m_costError, outcome.costError);
    if (!outcome.position) {
        // Closing here would look like a saved holding; the user fixes the
        // figure instead.
        (outcome.quantityError.isEmpty() ? m_cost : m_quantity)->setFocus();
        return;
    }
    if (m_target == HoldingForm::Target::fund)
        m_store.setFund(m_code, *outcome.position);
    else
        m_store.setGold(*outcome.position);
    emit finished();
}

void HoldingSheet::clear()
{
    if (m_target == HoldingForm::Target::fund)
        m_store.clearFund(m_code);
    else
        m_store.clearGold();
    emit finished();
}

void HoldingSheet::cancel()
{
    emit finished();
}
