#include "WatchAddForm.h"

#include "FormTextField.h"
#include "IconLabel.h"
#include "Icons.h"
#include "Palette.h"
#include "PanelStyle.h"
#include "SearchButton.h"
#include "SearchResultList.h"
#include "market/SearchFlight.h"

#include <QHBoxLayout>
#include <QKeyEvent>
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

WatchAddForm::WatchAddForm(Kind kind, Lookup lookup, Search search, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_lookupFn(std::move(lookup)), m_searchFn(std::move(search))
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(pauseMs);
    connect(&m_pause, &QTimer::timeout, this, &WatchAddForm::lookup);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(14, 10, 14, 10);
    column->setSpacing(8);

    auto* entry = new QHBoxLayout;
    entry->setSpacing(8);
    m_field =
        new FormTextField(kind == Kind::sector ? QStringLiteral("板块名称、拼音首字母或代码")
                                               : QStringLiteral("基金名称、拼音首字母或代码"));
    connect(m_field, &QLineEdit::textChanged, this, &WatchAddForm::edited);
    connect(m_field, &QLineEdit::returnPressed, this, &WatchAddForm::returnPressed);
    m_field->installEventFilter(this);
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
    m_loadingText = PanelStyle::label(QString(), 11, Palette::secondaryText());
    loading->addWidget(m_loadingText);
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

    m_results = new SearchResultList;
    connect(m_results, &SearchResultList::chosen, this, &WatchAddForm::hitChosen);
    m_row->addWidget(m_results);

    // No results, or the search failed.
    m_noteRow = new QWidget;
    auto* note = rowLayout(m_noteRow, 4);
    m_noteSymbol = new IconLabel(QString(), QColor(), 10);
    note->addWidget(m_noteSymbol);
    m_noteText = PanelStyle::label(QString(), 11, Palette::secondaryText());
    note->addWidget(m_noteText);
    note->addStretch(1);
    m_row->addWidget(m_noteRow);

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
    if (m_searchState == SearchState::searching && m_row->currentWidget() == m_loadingRow)
        return m_loadingText->text();
    if (m_searchState == SearchState::noResults || m_searchState == SearchState::failed)
        return m_noteText->text();
    switch (m_state.kind) {
    case LookupState::Kind::found:
        return m_foundName->text();
    case LookupState::Kind::notFound:
        return m_notFoundText->text();
    case LookupState::Kind::loading:
        return m_loadingText->text();
    case LookupState::Kind::idle:
        break;
    }
    return {};
}

void WatchAddForm::lookup()
{
    m_pause.stop();
    const QString code = normalizedCode();
    if (isWholeCode()) {
        // Return pressed again while the same look-up runs: nothing new to ask.
        if (m_state.kind == LookupState::Kind::loading && code == m_lastSearched)
            return;
        m_lastSearched = code;
        m_results->setHits({});
        setSearchState(SearchState::idle);
        setState(LookupState::loading());
        runLookup(code, ++m_generation);
        return;
    }
    // Searched as typed: the services match either case, and a fund's name
    // is not to be upper-cased.
    const QString text = LookupService::normalizeFundCode(m_field->text());
    if (!SearchFlight::isWorthSending(text)) {
        ++m_generation;
        m_lastSearched.clear();
        m_results->setHits({});
        setState(LookupState::idle());
        setSearchState(SearchState::idle);
        return;
    }
    // Its answer is on its way or already shown; after a failure the same
    // text is asked again.
    const bool answered =
        m_searchState != SearchState::idle && m_searchState != SearchState::failed;
    if (answered && text == m_lastSearched)
        return;
    m_lastSearched = text;
    setState(LookupState::idle());
    setSearchState(SearchState::searching);
    runSearch(text, ++m_generation);
}

bool WatchAddForm::isWholeCode() const
{
    const QString code = normalizedCode();
    return m_kind == Kind::sector ? LookupService::isCompleteSectorCode(code)
                                  : LookupService::isCompleteFundCode(code);
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

QCoro::Task<void> WatchAddForm::runSearch(QString text, quint64 generation)
{
    QPointer<WatchAddForm> self(this);
    const Search search = m_searchFn;
    SearchOutcome outcome = SearchOutcome::failed();
    if (search)
        outcome = co_await search(text);
    if (!self || self->m_generation != generation)
        co_return;
    self->m_results->setHits(outcome.hits);
    switch (outcome.kind) {
    case SearchOutcome::Kind::hits:
        self->setSearchState(outcome.hits.isEmpty() ? SearchState::noResults
                                                    : SearchState::results);
        break;
    case SearchOutcome::Kind::failed:
        self->setSearchState(SearchState::failed);
        break;
    case SearchOutcome::Kind::dropped:
        // Nothing newer started here, so nothing else will answer; the
        // search button offers the text again.
        self->m_lastSearched.clear();
        self->setSearchState(SearchState::idle);
        break;
    }
}

void WatchAddForm::returnPressed()
{
    if (m_searchState == SearchState::results && m_results->currentRow() >= 0) {
        m_results->chooseCurrent();
        return;
    }
    lookup();
}

bool WatchAddForm::eventFilter(QObject* watched, QEvent* event)
{
    // Up and Down walk the results while the keyboard stays in the field.
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        m_searchState == SearchState::results) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            m_results->moveSelection(key == Qt::Key_Down ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WatchAddForm::edited()
{
    setMessage(QString());
    const QString text = LookupService::normalizeFundCode(m_field->text());
    if (text.toUpper() != m_lastSearched.toUpper()) {
        // What was found belongs to the text it was asked for: once the text
        // is edited, an answer still on its way is dropped, and a look-up's
        // row goes, so "+" can never add the new code under the old one's
        // name. Results already listed stay until the next ones come (each
        // entry carries its own code), unless the new text is not searched.
        ++m_generation;
        m_lastSearched.clear();
        setState(LookupState::idle());
        const bool searched = !isWholeCode() && SearchFlight::isWorthSending(text);
        if (searched && m_results->count() > 0) {
            m_results->clearSelection();
            setSearchState(SearchState::results);
        } else {
            m_results->setHits({});
            setSearchState(SearchState::idle);
        }
        if (searched || isWholeCode())
            m_pause.start();
        else
            m_pause.stop();
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
    m_pause.stop();
    m_lastSearched.clear();
    m_results->setHits({});
    setState(LookupState::idle());
    setSearchState(SearchState::idle);
}

void WatchAddForm::setWatchedCodes(const QSet<QString>& codes)
{
    m_results->setWatchedCodes(codes);
}

void WatchAddForm::setState(LookupState state)
{
    m_state = std::move(state);
    if (m_state.kind == LookupState::Kind::found)
        m_foundName->setText(m_state.name);
    showRow();
}

void WatchAddForm::setSearchState(SearchState state)
{
    m_searchState = state;
    const bool failed = state == SearchState::failed;
    if (failed || state == SearchState::noResults) {
        if (failed)
            m_noteSymbol->setIcon(QStringLiteral("wifi.exclamationmark"), QColor(255, 149, 0));
        else
            m_noteSymbol->setIcon(QStringLiteral("magnifyingglass"), Palette::secondaryText());
        m_noteText->setText(failed ? QStringLiteral("搜索失败，请检查网络")
                                   : QStringLiteral("未找到匹配的") + noun());
    }
    showRow();
}

void WatchAddForm::showRow()
{
    QWidget* row = m_idleRow;
    switch (m_searchState) {
    case SearchState::searching:
        // The results of the text before stay in view while the button turns.
        m_loadingText->setText(QStringLiteral("搜索中…"));
        row = m_results->count() > 0 ? static_cast<QWidget*>(m_results) : m_loadingRow;
        break;
    case SearchState::results:
        row = m_results;
        break;
    case SearchState::noResults:
    case SearchState::failed:
        row = m_noteRow;
        break;
    case SearchState::idle:
        switch (m_state.kind) {
        case LookupState::Kind::idle:
            break;
        case LookupState::Kind::loading:
            m_loadingText->setText(QStringLiteral("查询中…"));
            row = m_loadingRow;
            break;
        case LookupState::Kind::found:
            row = m_foundRow;
            break;
        case LookupState::Kind::notFound:
            row = m_notFoundRow;
            break;
        }
        break;
    }
    m_row->setCurrentWidget(row);
    // An idle row takes no room; the others only what they need, not what
    // the longest list of results would.
    m_row->setVisible(row != m_idleRow);
    if (row != m_idleRow)
        m_row->setFixedHeight(row->sizeHint().height());
    updateControls();
}

void WatchAddForm::updateControls()
{
    const QString code = normalizedCode();
    const bool busy =
        m_state.kind == LookupState::Kind::loading || m_searchState == SearchState::searching;
    m_search->setEnabled(!code.isEmpty() && !busy);
    m_search->setHighlighted(!code.isEmpty() && !busy &&
                             code.toUpper() != m_lastSearched.toUpper());
    m_search->setSpinning(busy);
}
