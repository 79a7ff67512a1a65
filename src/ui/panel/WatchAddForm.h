#pragma once

#include "market/LookupService.h"
#include "market/SearchParser.h"

#include <QCoroTask>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class FormTextField;
class IconLabel;
class QLabel;
class QPushButton;
class QStackedWidget;
class SearchButton;
class SearchResultList;

// The form that adds a board or a fund to the watch list: a search field,
// the search button, and under them what the field's text came to. A whole
// code ("BK0475", "161725") is looked up as it stands, so that a code the
// search does not know can still be added; any other text is searched for
// by name, pinyin initials or part of a code, and the results listed. The
// form owns both; the settings view decides what an add does.
class WatchAddForm : public QWidget {
    Q_OBJECT
public:
    enum class Kind { sector, fund };
    // Looks a normalised code up; nothing when no name came back.
    using Lookup = std::function<QCoro::Task<std::optional<QString>>(QString)>;
    // Searches for a typed text; never throws.
    using Search = std::function<QCoro::Task<SearchOutcome>(QString)>;

    // What the search shows under the field.
    enum class SearchState { idle, searching, results, noResults, failed };

    // How long typing must pause before the text goes out: one request per
    // pause, not one per key.
    static constexpr int pauseMs = 300;

    WatchAddForm(Kind kind, Lookup lookup, Search search, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    // "板块" or "基金".
    QString noun() const;

    // The code as it will be looked up and stored: trimmed, and upper-cased
    // for boards.
    QString normalizedCode() const;
    // The name to store with `normalizedCode()`: the looked-up name when the
    // look-up found one for this very code, else the code itself.
    QString nameForAdd() const;

    const LookupState& lookupState() const { return m_state; }
    SearchState searchState() const { return m_searchState; }
    // The code last looked up, or the text last searched for.
    const QString& lastSearchedCode() const { return m_lastSearched; }

    // Looks the typed text up or searches for it, at once (the pause, Return
    // and the search button).
    void lookup();
    // Empties the field and forgets the look-up and the search; one still
    // running is ignored when it answers.
    void clear();

    // The codes on the watch list: the results mark them "已添加".
    void setWatchedCodes(const QSet<QString>& codes);

    FormTextField* field() const { return m_field; }
    SearchButton* searchButton() const { return m_search; }
    // The add button of the found row and "仍要添加" of the not-found row.
    QPushButton* addButton() const { return m_add; }
    QPushButton* addAnywayButton() const { return m_addAnyway; }
    SearchResultList* resultList() const { return m_results; }
    // What the row under the field says, but for the result list itself.
    QString lookupRowText() const;

    // A note under the form about what the user just did there ("该板块已添加"),
    // where the eye already is; an empty text hides it. Typing clears it.
    void setMessage(const QString& text);
    QString message() const;
    QLabel* messageLabel() const { return m_message; }

signals:
    // The typed code, as the look-up left it.
    void addRequested();
    // An entry of the search results.
    void hitChosen(const SearchHit& hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCoro::Task<void> runLookup(QString code, quint64 generation);
    QCoro::Task<void> runSearch(QString text, quint64 generation);
    bool isWholeCode() const;
    void returnPressed();
    void setState(LookupState state);
    void setSearchState(SearchState state);
    void showRow();
    void updateControls();
    void edited();

    Kind m_kind;
    Lookup m_lookupFn;
    Search m_searchFn;
    LookupState m_state;
    SearchState m_searchState = SearchState::idle;
    QString m_lastSearched;
    // Bumped by every look-up, search, edit and clear: only the newest may
    // set the state, so a slow answer never puts one code's name next to
    // another code, nor an older text's results under a newer one.
    quint64 m_generation = 0;
    QTimer m_pause;

    FormTextField* m_field = nullptr;
    SearchButton* m_search = nullptr;
    QStackedWidget* m_row = nullptr;
    QWidget* m_idleRow = nullptr;
    QWidget* m_loadingRow = nullptr;
    QLabel* m_loadingText = nullptr;
    QWidget* m_foundRow = nullptr;
    QWidget* m_notFoundRow = nullptr;
    QWidget* m_noteRow = nullptr;
    QLabel* m_foundName = nullptr;
    QLabel* m_notFoundText = nullptr;
    IconLabel* m_noteSymbol = nullptr;
    QLabel* m_noteText = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_addAnyway = nullptr;
    SearchResultList* m_results = nullptr;
    QLabel* m_message = nullptr;
};
