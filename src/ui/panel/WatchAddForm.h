#pragma once

#include "market/LookupService.h"

#include <QCoroTask>
#include <QWidget>

#include <functional>
#include <optional>

class FormTextField;
class QLabel;
class QPushButton;
class QStackedWidget;
class SearchButton;

// The form that adds a board or a fund to the watch list: a code field, the
// search button, and a row telling what the look-up found. It owns the
// look-up state; the settings view decides what an add does.
class WatchAddForm : public QWidget {
    Q_OBJECT
public:
    enum class Kind { sector, fund };
    // Looks a normalised code up; nothing when no name came back.
    using Lookup = std::function<QCoro::Task<std::optional<QString>>(QString)>;

    WatchAddForm(Kind kind, Lookup lookup, QWidget* parent = nullptr);

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
    const QString& lastSearchedCode() const { return m_lastSearched; }

    // Starts a look-up of the typed code (the search button and Return).
    void lookup();
    // Empties the field and forgets the look-up; a look-up still running is
    // ignored when it answers.
    void clear();

    FormTextField* field() const { return m_field; }
    SearchButton* searchButton() const { return m_search; }
    // The add button of the found row and "仍要添加" of the not-found row.
    QPushButton* addButton() const { return m_add; }
    QPushButton* addAnywayButton() const { return m_addAnyway; }
    // What the look-up row says, for the found and not-found rows.
    QString lookupRowText() const;

    // A note under the form about what the user just did there ("该板块已添加"),
    // where the eye already is; an empty text hides it. Typing clears it.
    void setMessage(const QString& text);
    QString message() const;
    QLabel* messageLabel() const { return m_message; }

signals:
    void addRequested();

private:
    QCoro::Task<void> runLookup(QString code, quint64 generation);
    void setState(LookupState state);
    void updateControls();
    void edited();

    Kind m_kind;
    Lookup m_lookupFn;
    LookupState m_state;
    QString m_lastSearched;
    // Bumped by every look-up and every clear: only the newest look-up may
    // set the state, so a slow answer never puts one code's name next to
    // another code.
    quint64 m_generation = 0;

    FormTextField* m_field = nullptr;
    SearchButton* m_search = nullptr;
    QStackedWidget* m_row = nullptr;
    QWidget* m_idleRow = nullptr;
    QWidget* m_loadingRow = nullptr;
    QWidget* m_foundRow = nullptr;
    QWidget* m_notFoundRow = nullptr;
    QLabel* m_foundName = nullptr;
    QLabel* m_notFoundText = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_addAnyway = nullptr;
    QLabel* m_message = nullptr;
};
