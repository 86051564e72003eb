#pragma once

#include <QWidget>
#include <optional>

#include "LedgerSpec.h"

class CommandGuard;
class ContractQuery;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// The pages "付款与报告" and "索赔与报告": the contract's records in a grid closed by a
// sums row, and below it an editor for one record. One class, configured by a table of
// names (LedgerSpec).
class LedgerPage : public QWidget {
    Q_OBJECT
  public:
    LedgerPage(const LedgerSpec& spec, ContractQuery& query, const CommandGuard& guard,
               QWidget* parent = nullptr);

    // Lays out the grid and fills it with the contract's records; without a contract only
    // the titles and one empty row.
    void loadList(std::optional<qint64> contractId);
    // The editor's part of the contract page reset; the date picker keeps its date.
    void clearEditors();

  private:
    QWidget* buildEditor();

    const LedgerSpec& spec_;
    ContractQuery& query_;
    const CommandGuard& guard_;

    QTableWidget* grid_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* firstAmountEdit_ = nullptr;
    QLineEdit* secondAmountEdit_ = nullptr;
    QDateEdit* datePicker_ = nullptr;
    QLineEdit* numberEdit_ = nullptr;
    QLineEdit* invoiceEdit_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
