#include "LedgerSpec.h"

namespace {

// Both ledgers list the same columns; only the first amount is named for its ledger.
// The grid shows the columns the printed and exported ledgers show, then the hidden key.
GridColumns ledgerColumns(LedgerKind kind) {
    const QStringList titles = ledgerTitles(kind);
    const int widths[] = {200, 100, 100, 100, 150, 150};
    GridColumns columns;
    for (int c = 0; c < titles.size(); ++c) columns.push_back({titles[c], widths[c]});
    columns.push_back({QStringLiteral("编号"), 0});
    return columns;
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
        s.exportItem = {QStringLiteral("exportPaymentsItem"), QStringLiteral("导出Excel")};
        s.kind = LedgerKind::Payments;
        s.grid = QStringLiteral("StringGrid2");
        s.columns = ledgerColumns(LedgerKind::Payments);
        s.nameEdit = {QStringLiteral("Edit30"), QStringLiteral("名称")};
        s.firstAmountEdit = {QStringLiteral("Edit31"), QStringLiteral("付款金额")};
        s.secondAmountEdit = {QStringLiteral("Edit32"), QStringLiteral("发票金额")};
        s.datePicker = {QStringLiteral("DateTimePicker8"), QStringLiteral("付款日期")};
        s.numberEdit = {QStringLiteral("Edit33"), QStringLiteral("申报单号")};
        s.invoiceEdit = {QStringLiteral("Edit34"), QStringLiteral("发票号")};
        s.memo = {QStringLiteral("Memo4"), QStringLiteral("备注")};
        s.saveButton = {QStringLiteral("FlatButton7"), QStringLiteral("保存")};
        s.cancelButton = {QStringLiteral("FlatButton8"), QStringLiteral("取消")};
        s.table = QStringLiteral("htfk");
        s.keyColumn = QStringLiteral("fkid");
        s.nameColumn = QStringLiteral("fkname");
        s.firstAmountColumn = QStringLiteral("fkje");
        s.firstAmountInvalid = QStringLiteral("付款金额数据错误，请重新输入");
        s.secondAmountInvalid = QStringLiteral("发票金额数据错误，请重新输入");
        s.deleteQuestion = QStringLiteral("确定要删除当前付款记录吗？");
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
        s.exportItem = {QStringLiteral("exportClaimsItem"), QStringLiteral("导出Excel")};
        s.kind = LedgerKind::Claims;
        s.grid = QStringLiteral("StringGrid3");
        s.columns = ledgerColumns(LedgerKind::Claims);
        s.nameEdit = {QStringLiteral("Edit35"), QStringLiteral("名称")};
        s.firstAmountEdit = {QStringLiteral("Edit36"), QStringLiteral("付款金额")};
        s.secondAmountEdit = {QStringLiteral("Edit37"), QStringLiteral("发票金额")};
        s.datePicker = {QStringLiteral("DateTimePicker9"), QStringLiteral("付款日期")};
        s.numberEdit = {QStringLiteral("Edit38"), QStringLiteral("申报单号")};
        s.invoiceEdit = {QStringLiteral("Edit39"), QStringLiteral("发票号")};
        s.memo = {QStringLiteral("Memo5"), QStringLiteral("备注")};
        s.saveButton = {QStringLiteral("FlatButton9"), QStringLiteral("保存")};
        s.cancelButton = {QStringLiteral("FlatButton10"), QStringLiteral("取消")};
        s.table = QStringLiteral("htsp");
        s.keyColumn = QStringLiteral("spid");
        s.nameColumn = QStringLiteral("spname");
        s.firstAmountColumn = QStringLiteral("spje");
        s.firstAmountInvalid = QStringLiteral("索赔金额数据错误，请重新输入");
        s.secondAmountInvalid = QStringLiteral("发票金额数据错误，请重新输入");
        s.deleteQuestion = QStringLiteral("确定要删除当前索赔记录吗？");
        return s;
    }();
    return spec;
}
