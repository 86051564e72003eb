#include "LedgerPage.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolBar>

#include "CommandGuard.h"
#include "CommandItem.h"
#include "Desktop.h"

namespace {

// Both ledgers list the same columns; only the first amount is named for its ledger.
GridColumns ledgerColumns(const QString& firstAmount) {
    return {
        {QStringLiteral("名称"), 200},     {firstAmount, 100},
        {QStringLiteral("发票金额"), 100}, {QStringLiteral("付款日期"), 100},
        {QStringLiteral("申报单号"), 150}, {QStringLiteral("发票号"), 150},
        {QStringLiteral("编号"), 0},
    };
}

}  // namespace

const LedgerSpec& paymentLedger() {
    static const LedgerSpec spec = [] {
        LedgerSpec s;
        s.page = QStringLiteral("TabSheet3");
        s.toolbar = QStringLiteral("TBToolbar5");
        s.addItem = {QStringLiteral("TBItem44"), QStringLiteral("增加记录")};
        s.deleteItem = {QStringLiteral("TBItem43"), QStringLiteral("删除记录")};
        s.printItem = {QStringLiteral("TBItem42"), QStringLiteral("打印列表")};
        s.grid = QStringLiteral("StringGrid2");
        s.columns = ledgerColumns(QStringLiteral("付款金额"));
        s.nameEdit = {QStringLiteral("Edit30"), QStringLiteral("名称")};
        s.firstAmountEdit = {QStringLiteral("Edit31"), QStringLiteral("付款金额")};
        s.secondAmountEdit = {QStringLiteral("Edit32"), QStringLiteral("发票金额")};
        s.datePicker = {QStringLiteral("DateTimePicker8"), QStringLiteral("付款日期")};
        s.numberEdit = {QStringLiteral("Edit33"), QStringLiteral("申报单号")};
        s.invoiceEdit = {QStringLiteral("Edit34"), QStringLiteral("发票号")};
        s.memo = {QStringLiteral("Memo4"), QStringLiteral("备注")};
        s.saveButton = {QStringLiteral("FlatButton7"), QStringLiteral("保存")};
        s.cancelButton = {QStringLiteral("FlatButton8"), QStringLiteral("取消")};
        return s;
    }();
    return spec;
}

// The claim editor carries the payment editor's six labels, "付款金额" and "付款日期"
// included; only the grid names its first amount "索赔金额". Both ledgers read alike.
const LedgerSpec& claimLedger() {
    static const LedgerSpec spec = [] {
        LedgerSpec s;
        s.page = QStringLiteral("TabSheet4");
        s.toolbar = QStringLiteral("TBToolbar6");
        s.addItem = {QStringLiteral("TBItem45"), QStringLiteral("增加记录")};
        s.deleteItem = {QStringLiteral("TBItem46"), QStringLiteral("删除记录")};
        s.printItem = {QStringLiteral("TBItem47"), QStringLiteral("打印列表")};
        s.grid = QStringLiteral("StringGrid3");
        s.columns = ledgerColumns(QStringLiteral("索赔金额"));
        s.nameEdit = {QStringLiteral("Edit35"), QStringLiteral("名称")};
        s.firstAmountEdit = {QStringLiteral("Edit36"), QStringLiteral("付款金额")};
        s.secondAmountEdit = {QStringLiteral("Edit37"), QStringLiteral("发票金额")};
        s.datePicker = {QStringLiteral("DateTimePicker9"), QStringLiteral("付款日期")};
        s.numberEdit = {QStringLiteral("Edit38"), QStringLiteral("申报单号")};
        s.invoiceEdit = {QStringLiteral("Edit39"), QStringLiteral("发票号")};
        s.memo = {QStringLiteral("Memo5"), QStringLiteral("备注")};
        s.saveButton = {QStringLiteral("FlatButton9"), QStringLiteral("保存")};
        s.cancelButton = {QStringLiteral("FlatButton10"), QStringLiteral("取消")};
        return s;
    }();
    return spec;
}

LedgerPage::LedgerPage(const LedgerSpec& spec, ContractQuery& query, const CommandGuard& guard,
                       QWidget* parent)
    : QWidget(parent), spec_(spec), query_(query), guard_(guard) {
    setObjectName(spec.page);

    auto* toolbar = createPageToolbar(spec.toolbar, this);
    addCommandItems(toolbar,
                    {
                        {spec.addItem.name, spec.addItem.caption},
                        {spec.deleteItem.name, spec.deleteItem.caption},
                        // Listed for printing, which the program does not offer yet.
                        {spec.printItem.name, spec.printItem.caption},
                    },
                    this, guard_);

    grid_ = createListGrid(spec.grid, this);
    resetListGrid(*grid_, spec.columns);

    layOutListPage(*this, toolbar, grid_, buildEditor());
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

    memo_ = createMemo(spec_.memo, editor);
    auto* row = new QHBoxLayout(editor);
    row->setContentsMargins(6, 6, 6, 6);
    row->addWidget(fields, 3);
    row->addWidget(createGroup(spec_.memo.caption, memo_, editor), 2);
    return editor;
}

void LedgerPage::loadList(std::optional<qint64> contractId) {
    resetListGrid(*grid_, spec_.columns);
    if (!contractId) return;
    // The contract's records and the sums row are read here once the ledger is stored.
}

void LedgerPage::clearEditors() {
    nameEdit_->clear();
    firstAmountEdit_->setText(QStringLiteral("0"));
    secondAmountEdit_->setText(QStringLiteral("0"));
    numberEdit_->clear();
    invoiceEdit_->clear();
    memo_->clear();
}
