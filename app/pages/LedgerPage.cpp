#include "LedgerPage.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolBar>
#include <vector>

#include "AppError.h"
#include "CommandGuard.h"
#include "CommandItem.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "LedgerStatements.h"
#include "RecordAccess.h"
#include "ReportCommands.h"
#include "SqlLiteral.h"

namespace {

// Grid columns, in the order of LedgerSpec::columns.
enum Column {
    NameColumn,
    FirstAmountColumn,
    SecondAmountColumn,
    DateColumn,
    NumberColumn,
    InvoiceColumn,
    KeyColumn
};

// Contents the page sets itself are never a person's edit: the change actions stay quiet.
class QuietControls {
  public:
    explicit QuietControls(const std::vector<QWidget*>& controls) {
        blockers_.reserve(controls.size());
        for (QWidget* control : controls) blockers_.emplace_back(control);
    }

  private:
    std::vector<QSignalBlocker> blockers_;
};

// A person changes a control by typing into it, or, for a date picker, also by picking a
// day in its drop-down calendar, which holds the keyboard focus while it is open.
bool isBeingEdited(QWidget* control) {
    if (control->hasFocus()) return true;
    auto* picker = qobject_cast<QDateEdit*>(control);
    return picker && picker->calendarPopup() && picker->calendarWidget() &&
           picker->calendarWidget()->isVisible();
}

void setCell(QTableWidget& grid, int row, int column, const QString& text) {
    grid.setItem(row, column, new QTableWidgetItem(text));
}

}  // namespace

LedgerPage::LedgerPage(const LedgerSpec& spec, ContractQuery& query, const CommandGuard& guard,
                       SelectedContract selectedContract, QWidget* parent)
    : QWidget(parent),
      spec_(spec),
      query_(query),
      guard_(guard),
      selectedContract_(std::move(selectedContract)) {
    setObjectName(spec.page);

    auto* toolbar = createPageToolbar(spec.toolbar, this);
    CommandItem add{spec.addItem.name, spec.addItem.caption};
    add.run = [this] { addRecord(); };
    CommandItem remove{spec.deleteItem.name, spec.deleteItem.caption};
    remove.run = [this] { deleteRecord(); };
    CommandItem print{spec.printItem.name, spec.printItem.caption};
    print.run = [this] {
        previewLedger(this, query_, guard_.desktop(), selectedContract_(), spec_.kind);
    };
    CommandItem exportToExcel{spec.exportItem.name, spec.exportItem.caption};
    exportToExcel.run = [this] {
        exportLedgerToXlsx(this, query_, guard_.desktop(), selectedContract_(), spec_.kind);
    };
    addCommandItems(toolbar, {add, remove, print, exportToExcel}, this, guard_);

    grid_ = createListGrid(spec.grid, this);
    resetListGrid(*grid_, spec.columns);

    layOutListPage(*this, toolbar, grid_, buildEditor());
    connectActions();
}

QWidget* LedgerPage::buildEditor() {
    auto* editor = new QWidget(this);
    auto* fields = new QWidget(editor);
    auto* form = new QGridLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);

    nameEdit_ = new QLineEdit(fields);
    firstAmountEdit_ = new QLineEdit(fields);
    secondAmountEdit_ = new QLineEdit(fields);
    datePicker_ = new QDateEdit(fields);
    datePicker_->setCalendarPopup(true);
    datePicker_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    datePicker_->setDate(guard_.desktop().now().date());
    numberEdit_ = new QLineEdit(fields);
    invoiceEdit_ = new QLineEdit(fields);

    addLabelledField(*form, 0, 0, spec_.nameEdit, nameEdit_, 3);
    addLabelledField(*form, 1, 0, spec_.firstAmountEdit, firstAmountEdit_);
    addLabelledField(*form, 1, 1, spec_.secondAmountEdit, secondAmountEdit_);
    addLabelledField(*form, 2, 0, spec_.datePicker, datePicker_);
    addLabelledField(*form, 2, 1, spec_.numberEdit, numberEdit_);
    addLabelledField(*form, 3, 0, spec_.invoiceEdit, invoiceEdit_);

    // Nothing to save or abandon until a record is added or edited.
    saveButton_ = createButton(spec_.saveButton, fields);
    saveButton_->setEnabled(false);
    cancelButton_ = createButton(spec_.cancelButton, fields);
    cancelButton_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton_);
    buttons->addWidget(cancelButton_);
    form->addLayout(buttons, 4, 0, 1, 4);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);
    form->setRowStretch(5, 1);

    // Amounts and numbers keep room for what a clerk types; in a narrow window the editor
    // scrolls rather than squeezing them to a few characters.
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000000.00")) + 12;
    for (QWidget* field :
         {static_cast<QWidget*>(firstAmountEdit_), static_cast<QWidget*>(secondAmountEdit_),
          static_cast<QWidget*>(datePicker_), static_cast<QWidget*>(numberEdit_),
          static_cast<QWidget*>(invoiceEdit_)})
        field->setMinimumWidth(fieldWidth);

    memo_ = createMemo(spec_.memo, editor);
    auto* row = new QHBoxLayout(editor);
    row->setContentsMargins(6, 6, 6, 6);
    row->addWidget(fields, 3);
    row->addWidget(createGroup(spec_.memo.caption, memo_, editor), 2);

    auto* scroller = new QScrollArea(this);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(editor);
    return scroller;
}

void LedgerPage::connectActions() {
    // Only moving to another row shows it; a reload moves nothing (its signals are off).
    connect(grid_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (row != previousRow) showRowInEditor(row);
            });
    for (QWidget* control : editorControls()) {
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            connect(edit, &QLineEdit::textChanged, this, [this, edit] { editorChanged(edit); });
    }
    connect(datePicker_, &QDateEdit::dateChanged, this, [this] { editorChanged(datePicker_); });
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] { editorChanged(memo_); });

    connect(saveButton_, &QPushButton::clicked, this, guard_.wrap([this] { saveRecord(); }));
    connect(cancelButton_, &QPushButton::clicked, this, guard_.wrap([this] { cancelRecord(); }));
}

// ---------------------------------------------------------------- the list

void LedgerPage::loadList(std::optional<qint64> contractId) {
    resetListGrid(*grid_, spec_.columns);
    if (!contractId) return;

    const int records = CountRows(query_, spec_.table, *contractId);
    const QSignalBlocker quiet(grid_);
    grid_->setRowCount(std::max(records, 1) + 1);  // and the sums row
    query_.RunQuery(ledger_sql::listRecords(spec_, *contractId));
    for (int row = 0; row < records && !query_.eof(); ++row, query_.next()) fillRecordRow(row);
    query_.close();
    fillSumsRow(*contractId);
}

void LedgerPage::fillRecordRow(int row) {
    const auto column = [this](const QString& name) {
        return query_.columnIndex(name.toLatin1().constData());
    };
    setCell(*grid_, row, NameColumn, query_.textAt(column(spec_.nameColumn)));
    setCell(*grid_, row, FirstAmountColumn,
            sql::formatAmount(query_.amountAt(column(spec_.firstAmountColumn))));
    setCell(*grid_, row, SecondAmountColumn, sql::formatAmount(query_.amount("fpje")));
    setCell(*grid_, row, DateColumn, sql::dateText(query_.date("fkrq")));
    setCell(*grid_, row, NumberColumn, query_.text("sbdh"));
    setCell(*grid_, row, InvoiceColumn, query_.text("fph"));
    setCell(*grid_, row, KeyColumn, QString::number(query_.integerAt(column(spec_.keyColumn))));
}

void LedgerPage::fillSumsRow(qint64 contractId) {
    query_.RunQuery(ledger_sql::sumAmounts(spec_, contractId));
    const QByteArray firstSum = (spec_.firstAmountColumn + QStringLiteral("sum")).toLatin1();
    const double first = query_.eof() ? 0 : query_.amount(firstSum.constData());
    const double second = query_.eof() ? 0 : query_.amount("fpjesum");
    query_.close();

    const int row = grid_->rowCount() - 1;
    setCell(*grid_, row, NameColumn, QStringLiteral("合计"));
    setCell(*grid_, row, FirstAmountColumn, sql::formatAmount(first));
    setCell(*grid_, row, SecondAmountColumn, sql::formatAmount(second));
    for (int column : {DateColumn, NumberColumn, InvoiceColumn}) setCell(*grid_, row, column, {});
    setCell(*grid_, row, KeyColumn, QStringLiteral("0"));
}

std::optional<qint64> LedgerPage::keyOfRow(int row) const {
    bool ok = false;
    const qint64 key = cellText(*grid_, row, KeyColumn).toLongLong(&ok);
    if (!ok) return std::nullopt;
    return key;
}

void LedgerPage::makeRowCurrent(int row) {
    if (row >= 0 && row < grid_->rowCount()) grid_->setCurrentCell(row, NameColumn);
}

// ---------------------------------------------------------------- the editor

void LedgerPage::showRowInEditor(int row) {
    // Whatever cannot be read leaves the editor as far as it got, without a message: the
    // empty row has no key and shows nothing.
    try {
        const std::optional<qint64> key = keyOfRow(row);
        if (!key) return;
        const QuietControls quiet(editorControls());
        nameEdit_->setText(cellText(*grid_, row, NameColumn));
        firstAmountEdit_->setText(cellText(*grid_, row, FirstAmountColumn));
        secondAmountEdit_->setText(cellText(*grid_, row, SecondAmountColumn));
        numberEdit_->setText(cellText(*grid_, row, NumberColumn));
        invoiceEdit_->setText(cellText(*grid_, row, InvoiceColumn));
        memo_->clear();
        shownRecord_ = key;
        if (*key == 0) return;  // the sums row: the date picker keeps its date

        datePicker_->setDate(sql::parseStoredDate(cellText(*grid_, row, DateColumn)));
        query_.RunQuery(ledger_sql::selectRecord(spec_, *key));
        if (!query_.eof()) setMemoText(memo_, query_.text("other"));
        shownVersion_ = RowVersion::ofCurrentRow(query_, *key);
        query_.close();
    } catch (...) {
    }
}

void LedgerPage::editorChanged(QWidget* control) {
    if (!isBeingEdited(control)) return;
    // Neither the sums row nor the empty row is a record that could be edited.
    const std::optional<qint64> key = keyOfRow(grid_->currentRow());
    if (!key || *key == 0) return;
    // Only the record the editor shows can be edited: after a reload or "取消" the editor
    // holds other texts, and saving them would write them over the current row's record.
    if (mode_ == EditMode::Idle && shownRecord_ != key) return;
    setEditorButtonsEnabled(true);
    if (mode_ == EditMode::Idle) mode_ = EditMode::Edited;
}

void LedgerPage::clearEditors() {
    shownRecord_.reset();
    const QuietControls quiet(editorControls());
    nameEdit_->clear();
    firstAmountEdit_->setText(QStringLiteral("0"));
    secondAmountEdit_->setText(QStringLiteral("0"));
    numberEdit_->clear();
    invoiceEdit_->clear();
    memo_->clear();
}

void LedgerPage::resetEditor() {
    clearEditors();
    const QuietControls quiet(editorControls());
    datePicker_->setDate(guard_.desktop().now().date());
}

std::vector<QWidget*> LedgerPage::editorControls() const {
    return {nameEdit_, firstAmountEdit_, secondAmountEdit_, datePicker_, numberEdit_, invoiceEdit_,
            memo_};
}

void LedgerPage::setEditorButtonsEnabled(bool enabled) {
    saveButton_->setEnabled(enabled && writable_);
    cancelButton_->setEnabled(enabled && writable_);
}

void LedgerPage::setWritable(bool writable) {
    writable_ = writable;
    for (const QString& name : {spec_.addItem.name, spec_.deleteItem.name})
        for (QAction* action : findChildren<QAction*>(name)) action->setEnabled(writable);
    if (!writable) setEditorButtonsEnabled(false);
}

LedgerRecordText LedgerPage::editorRecord() const {
    return {nameEdit_->text(),
            firstAmountEdit_->text(),
            secondAmountEdit_->text(),
            sql::dateText(datePicker_->date()),
            numberEdit_->text(),
            invoiceEdit_->text(),
            memoText(memo_)};
}

// ---------------------------------------------------------------- commands

void LedgerPage::addRecord() {
    resetEditor();
    setEditorButtonsEnabled(true);
    mode_ = EditMode::NewRecord;
}

void LedgerPage::cancelRecord() {
    resetEditor();
    setEditorButtonsEnabled(false);
    mode_ = EditMode::Idle;
}

void LedgerPage::abandonPendingRecord() {
    cancelRecord();
    // The newly listed contract's first record is current: the editor shows it, ready to edit.
    showRowInEditor(grid_->currentRow());
}

bool LedgerPage::amountIsValid(QLineEdit* edit, const QString& invalidMessage) {
    if (sql::isAmountText(edit->text())) return true;
    edit->setFocus(Qt::OtherFocusReason);
    guard_.desktop().showMessage(
        this, {invalidMessage, QStringLiteral("提示"), MessageIcon::Error, MessageButtons::Ok});
    return false;
}

void LedgerPage::saveRecord() {
    if (mode_ == EditMode::Idle) return;  // nothing pending: the button is disabled then
    if (!amountIsValid(firstAmountEdit_, spec_.firstAmountInvalid)) return;
    if (!amountIsValid(secondAmountEdit_, spec_.secondAmountInvalid)) return;

    const int row = grid_->currentRow();
    const LedgerRecordText record = editorRecord();
    if (mode_ == EditMode::NewRecord) {
        // After the tree was rebuilt no contract is selected to take the record.
        const std::optional<qint64> contract = selectedContract_();
        if (!contract) {
            showWarning(guard_.desktop(), this, QStringLiteral("请先选择一个合同，再保存新记录"));
            return;
        }
        InsertWithNextId(query_, spec_.table, spec_.keyColumn, [&](qint64 id) {
            return ledger_sql::insertRecord(spec_, id, *contract, record);
        });
    } else {
        // The record edited may have been deleted since, leaving the empty row current.
        const std::optional<qint64> key = keyOfRow(row);
        if (!key || *key == 0) {
            showWarning(guard_.desktop(), this, QStringLiteral("当前行不是一条记录，修改没有保存"));
            return;
        }
        if (shownVersion_.update(query_, *key, ledger_sql::updateRecord(spec_, *key, record)) == 0)
            throw AppError(QStringLiteral("这条记录已不存在，修改没有保存"),
                           QStringLiteral("编号 ") + QString::number(*key));
    }

    const EditMode saved = mode_;
    loadList(selectedContract_());
    // A new record is the last one; an edited one stays where it was. Either is shown as
    // it now stands in the file, unless it is the first row, current already.
    makeRowCurrent(saved == EditMode::NewRecord ? grid_->rowCount() - 2 : row);
    // On the first row the editor keeps what was typed, which is what the file now holds.
    shownRecord_ = keyOfRow(grid_->currentRow());
    mode_ = EditMode::Idle;
    setEditorButtonsEnabled(false);
}

void LedgerPage::deleteRecord() {
    if (!askYesNo(guard_.desktop(), this, spec_.deleteQuestion, QStringLiteral("确认"),
                  MessageIcon::Question))
        return;
    const int row = grid_->currentRow();
    const std::optional<qint64> key = keyOfRow(row);
    if (!key) return;  // the empty row: nothing to delete
    if (*key != 0) query_.RunCommand(ledger_sql::deleteRecord(spec_, *key));
    loadList(selectedContract_());
    if (row > 1) makeRowCurrent(row - 1);
    // An editor left showing the deleted record shows the row now current instead.
    if (*key != 0 && shownRecord_ == key) {
        resetEditor();
        showRowInEditor(grid_->currentRow());
    }
}
