#include "WatchAddForm.h"

#include "FormTextField.h"
#include "IconLabel.h"
#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "SearchButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

// A small turning arc: the look-up row's progress indicator.
class BusyArc : public QWidget {
public:
    explicit BusyArc(QWidget* parent = nullptr) : QWidget(parent)
    {
        setFixedSize(12, 12);
        m_turn.setStartValue(0.0);
        m_turn.setEndValue(360.0);
        m_turn.setDuration(900);
        m_turn.setLoopCount(-1);
        QObject::connect(&m_turn, &QVariantAnimation::valueChanged, this, [this] { update(); });
    }

protected:
    void showEvent(QShowEvent*) override { m_turn.start(); }
    void hideEvent(QHideEvent*) override { m_turn.stop(); }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Palette::secondaryText(), 1.6, Qt::SolidLine, Qt::RoundCap));
        const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        const int start = int(-m_turn.currentValue().toReal() * 16);
        p.drawArc(r, start, 270 * 16);
    }

private:
    QVariantAnimation m_turn;
};

QHBoxLayout* rowLayout(QWidget* row, int spacing)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

WatchAddForm::WatchAddForm(Kind kind, Lookup lookup, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_lookupFn(std::move(lookup))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 10, 14, 10);
    column->setSpacing(8);

    auto* entry = new QHBoxLayout;
    entry->setSpacing(8);
    m_field = new FormTextField(kind == Kind::sector ? QStringLiteral("板块代码 (BK0475)")
                                                     : QStringLiteral("基金代码 (161725)"));
    connect(m_field, &QLineEdit::textChanged, this, &WatchAddForm::edited);
    connect(m_field, &QLineEdit::returnPressed, this, &WatchAddForm::lookup);
    entry->addWidget(m_field, 1);
    m_search = new SearchButton;
    connect(m_search, &SearchButton::clicked, this, &WatchAddForm::lookup);
    entry->addWidget(m_search);
    column->addLayout(entry);

    m_row = new QStackedWidget;
    m_idleRow = new QWidget;
    m_row->addWidget(m_idleRow);

    m_loadingRow = new QWidget;
    auto* loading = rowLayout(m_loadingRow, 4);
    loading->addWidget(new BusyArc);
    loading->addWidget(PanelStyle::label(QStringLiteral("查询中…"), 11, Palette::secondaryText()));
    loading->addStretch(1);
    m_row->addWidget(m_loadingRow);

    m_foundRow = new QWidget;
    auto* found = rowLayout(m_foundRow, 6);
    found->addWidget(new IconLabel(QStringLiteral("checkmark.circle.fill"), Palette::down(), 10));
    m_foundName = PanelStyle::label(QString(), 11, Palette::primaryText());
    found->addWidget(m_foundName);
    m_add = PanelStyle::prominentButton(QString(), 11);
    m_add->setIcon(Icons::icon(QStringLiteral("plus"), QColor(0x1f, 0x1f, 0x1f), 10));
    m_add->setToolTip(QStringLiteral("添加") + noun());
    connect(m_add, &QPushButton::clicked, this, &WatchAddForm::addRequested);
    found->addWidget(m_add);
    found->addStretch(1);
    m_row->addWidget(m_foundRow);

    m_notFoundRow = new QWidget;
    auto* notFound = rowLayout(m_notFoundRow, 4);
    notFound->addWidget(
        new IconLabel(QStringLiteral("exclamationmark.triangle.fill"), QColor(255, 149, 0), 10));
    m_notFoundText =
        PanelStyle::label(QStringLiteral("未找到该") + noun() + QStringLiteral("，请检查代码"), 11,
                          Palette::secondaryText());
    notFound->addWidget(m_notFoundText);
    m_addAnyway = PanelStyle::borderedButton(QStringLiteral("仍要添加"), 11);
    m_addAnyway->setToolTip(QStringLiteral("用代码作为名称添加"));
    connect(m_addAnyway, &QPushButton::clicked, this, &WatchAddForm::addRequested);
    notFound->addWidget(m_addAnyway);
    notFound->addStretch(1);
    m_row->addWidget(m_notFoundRow);

    column->addWidget(m_row);

    m_message = PanelStyle::label(QString(), 10, QColor(255, 149, 0));
    m_message->setWordWrap(true);
    m_message->hide();
    column->addWidget(m_message);
    setState(LookupState::idle());
}

QString WatchAddForm::noun() const
{
    return m_kind == Kind::sector ? QStringLiteral("板块") : QStringLiteral("基金");
}

QString WatchAddForm::normalizedCode() const
{
    return m_kind == Kind::sector ? LookupService::normalizeSectorCode(m_field->text())
                                  : LookupService::normalizeFundCode(m_field->text());
}

QString WatchAddForm::nameForAdd() const
{
    const QString code = normalizedCode();
    // The found row stays up while the user types on; its name belongs to
    // the code that was looked up, not to whatever the field holds now.
    if (m_state.kind == LookupState::Kind::found && code == m_lastSearched &&
        !m_state.name.isEmpty())
        return m_state.name;
    return code;
}

QString WatchAddForm::lookupRowText() const
{
    switch (m_state.kind) {
    case LookupState::Kind::found:
        return m_foundName->text();
    case LookupState::Kind::notFound:
        return m_notFoundText->text();
    case LookupState::Kind::loading:
        return QStringLiteral("查询中…");
    case LookupState::Kind::idle:
        break;
    }
    return {};
}

void WatchAddForm::lookup()
{
    const QString code = normalizedCode();
    if (code.isEmpty()) {
        ++m_generation;
        setState(LookupState::idle());
        return;
    }
    // Return pressed again while the same look-up runs: nothing new to ask.
    if (m_state.kind == LookupState::Kind::loading && code == m_lastSearched)
        return;
    m_lastSearched = code;
    setState(LookupState::loading());
    runLookup(code, ++m_generation);
}

QCoro::Task<void> WatchAddForm::runLookup(QString code, quint64 generation)
{
    QPointer<WatchAddForm> self(this);
    const Lookup lookup = m_lookupFn;
    std::optional<QString> name;
    if (lookup)
        name = co_await lookup(code);
    if (!self || self->m_generation != generation)
        co_return;
    self->setState(name ? LookupState::found(*name) : LookupState::notFound());
}

void WatchAddForm::edited()
{
    setMessage(QString());
    // A result belongs to the code it was asked for: once the code is
    // edited, the row goes (and an answer still on its way is dropped), so
    // "+" can never add the new code under the old one's name.
    if (m_state.kind != LookupState::Kind::idle && normalizedCode() != m_lastSearched) {
        ++m_generation;
        m_lastSearched.clear();
        setState(LookupState::idle());
        return;
    }
    updateControls();
}

void WatchAddForm::setMessage(const QString& text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}

QString WatchAddForm::message() const
{
    return m_message->text();
}

void WatchAddForm::clear()
{
    setMessage(QString());
    ++m_generation;
    m_field->clear();
    m_lastSearched.clear();
    setState(LookupState::idle());
}

void WatchAddForm::setState(LookupState state)
{
    m_state = std::move(state);
    switch (m_state.kind) {
    case LookupState::Kind::idle:
        m_row->setCurrentWidget(m_idleRow);
        break;
    case LookupState::Kind::loading:
        m_row->setCurrentWidget(m_loadingRow);
        break;
    case LookupState::Kind::found:
        m_foundName->setText(m_state.name);
        m_row->setCurrentWidget(m_foundRow);
        break;
    case LookupState::Kind::notFound:
        m_row->setCurrentWidget(m_notFoundRow);
        break;
    }
    // An idle row takes no room.
    m_row->setVisible(m_state.kind != LookupState::Kind::idle);
    updateControls();
}

void WatchAddForm::updateControls()
{
    const QString code = normalizedCode();
    const bool loading = m_state.kind == LookupState::Kind::loading;
    m_search->setEnabled(!code.isEmpty() && !loading);
    m_search->setHighlighted(!code.isEmpty() && !loading &&
                             code.toUpper() != m_lastSearched.toUpper());
    m_search->setSpinning(loading);
}
