#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "LedgerSpec.h"
#include "RowVersion.h"

class CommandGuard;
class ContractQuery;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
struct LedgerRecordText;

// The pages "付款与报告" and "索赔与报告": the contract's records in a grid closed by a
// sums row, and below it an editor for one record. One class, configured by a table of
// names (LedgerSpec).
//
// The grid tells its rows apart by the key column: a key above 0 is a record, "0" the
// sums row, an empty cell the empty row of a contract without records.
class LedgerPage : public QWidget {
    Q_OBJECT
  public:
    // What the editor holds: nothing to save, a record to insert, or changes to the record
    // of the current row.
    enum class EditMode { Idle = 0, NewRecord = 1, Edited = 2 };

    // The contract of the selected tree node, if any: new records go to it.
    using SelectedContract = std::function<std::optional<qint64>()>;

    LedgerPage(const LedgerSpec& spec, ContractQuery& query, const CommandGuard& guard,
               SelectedContract selectedContract, QWidget* parent = nullptr);

    // LoadPaymentList / LoadClaimList: lays out the grid and fills it with the contract's
    // records and the sums row; without a contract only the titles and one empty row.
    // The first row is current afterwards; the editor is left as it is.
    void loadList(std::optional<qint64> contractId);
    // The editor's part of the contract page reset; the date picker keeps its date.
    void clearEditors();
    // Drops a record being added or edited, as "取消" does: another contract was selected,
    // and what the editor holds belongs to the one before.
    void abandonPendingRecord();

    EditMode editMode() const { return mode_; }

    // A role of the server that may only read: the commands that write are disabled, and
    // editing a record never arms "保存".
    void setWritable(bool writable);

  private:
    QWidget* buildEditor();
    void connectActions();

    // The grid's click action (StringGrid2Click / StringGrid3Click).
    void showRowInEditor(int row);
    // The change action of every editor control (Edit30Change, DateTimePicker8Change ...).
    void editorChanged(QWidget* control);
    void addRecord();     // "增加记录"
    void cancelRecord();  // "取消"
    void saveRecord();    // "保存"
    void deleteRecord();  // "删除记录"

    // The key in the current row: empty for the empty row, 0 for the sums row.
    std::optional<qint64> keyOfRow(int row) const;
    void fillRecordRow(int row);
    void fillSumsRow(qint64 contractId);
    bool amountIsValid(QLineEdit* edit, const QString& invalidMessage);
    LedgerRecordText editorRecord() const;
    void resetEditor();
    // Every control of the editor, the buttons aside.
    std::vector<QWidget*> editorControls() const;
    void setEditorButtonsEnabled(bool enabled);
    void makeRowCurrent(int row);

    const LedgerSpec& spec_;
    ContractQuery& query_;
    const CommandGuard& guard_;
    SelectedContract selectedContract_;
    EditMode mode_ = EditMode::Idle;
    std::optional<qint64> shownRecord_;  // the record whose texts the editor holds
    RowVersion shownVersion_;
    bool writable_ = true;            // of that record's row, as the editor read it

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
