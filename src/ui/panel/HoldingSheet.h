#pragma once

#include "config/HoldingForm.h"

#include <QWidget>

class FormTextField;
class HoldingsStore;
class QLabel;
class QPushButton;

// The 360×300 sheet that enters or changes what the user holds of one fund
// (shares and the cost per share) or of gold (grams and the cost per gram),
// or clears it. It writes to the holdings store and emits `finished()` when
// it is done: saved, cleared or cancelled.
class HoldingSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{360, 300};

    // `code` and `name` of the fund; both ignored for gold.
    HoldingSheet(HoldingsStore& store, HoldingForm::Target target, const QString& code,
                 const QString& name, QWidget* parent = nullptr);

    QString title() const;
    FormTextField* quantityField() const { return m_quantity; }
    FormTextField* costField() const { return m_cost; }
    // What is wrong with each field, as shown under it; empty when nothing.
    QString quantityError() const;
    QString costError() const;
    // "清除持仓": shown only while there is a holding to clear.
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* saveButton() const { return m_save; }

    // "保存": stores the holding and closes when both fields read; otherwise
    // says what is wrong under the field and stays open.
    void save();
    void clear();
    void cancel();

signals:
    void finished();

private:
    // The field with its unit beside it and its complaint under it.
    static QWidget* field(FormTextField* field, const QString& unit, QLabel* error);

    HoldingsStore& m_store;
    HoldingForm::Target m_target;
    QString m_code;
    QLabel* m_title = nullptr;
    FormTextField* m_quantity = nullptr;
    QLabel* m_quantityError = nullptr;
    FormTextField* m_cost = nullptr;
    QLabel* m_costError = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_save = nullptr;
};
