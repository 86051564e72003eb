#include "ContractRegister.h"

#include "ContractQuery.h"
#include "SqlLiteral.h"

namespace {

// Every contract with its ledgers' sums in one statement. Each sum is an aggregate over
// the contract's rows found through the conid index, so the engine streams the contracts
// in code order (the concode index) without a sorter or a temporary table: memory stays
// flat however large the file. Codes order the rows as the tree does, parents before
// their children.
const QString kRegisterQuery = QStringLiteral(
    "select m.concode,m.conname,m.showcode,m.jiafang,m.yifang,m.partname,m.htlb,m.qdrq,"
    "m.htjk,m.yfjk,m.jsje,m.gd,"
    "(select sum(fkje) from htfk where htfk.conid=m.conid),"
    "(select sum(spje) from htsp where htsp.conid=m.conid) "
    "from htmain m order by m.concode,m.conid");

}  // namespace

const std::vector<RegisterColumn>& registerColumns() {
    static const std::vector<RegisterColumn> columns = {
        {QStringLiteral("合同编码"), 18}, {QStringLiteral("合同名称"), 34},
        {QStringLiteral("合同编号"), 14}, {QStringLiteral("甲方"), 20},
        {QStringLiteral("乙方"), 20},     {QStringLiteral("所属部门"), 10},
        {QStringLiteral("合同类别"), 10}, {QStringLiteral("日期"), 11},
        {QStringLiteral("合同价款"), 13}, {QStringLiteral("已付价款"), 13},
        {QStringLiteral("结算金额"), 13}, {QStringLiteral("付款合计"), 13},
        {QStringLiteral("索赔合计"), 13}, {QStringLiteral("未付"), 13},
        {QStringLiteral("归档"), 5},
    };
    return columns;
}

qint64 countRegisterRows(ContractQuery& query) {
    query.RunQuery(QStringLiteral("select count(*) as a from htmain"));
    const qint64 count = query.integer("a");
    query.close();
    return count;
}

bool readRegister(ContractQuery& query, const std::function<bool(const RegisterRow&)>& row) {
    query.RunQuery(kRegisterQuery);
    RegisterRow r;
    for (; !query.eof(); query.next()) {
        r.code = query.textAt(0);
        r.depth = std::max<int>(0, int(r.code.size() - 1) / 4);
        r.name = query.textAt(1);
        r.number = query.textAt(2);
        r.firstParty = query.textAt(3);
        r.secondParty = query.textAt(4);
        r.department = query.textAt(5);
        r.category = query.textAt(6);
        const QString date = query.textAt(7);
        r.date = date.isEmpty() ? QDate() : sql::parseStoredDate(date);
        r.price = query.amountAt(8);
        r.paid = query.amountAt(9);
        r.settled = query.amountAt(10);
        r.archived = sql::flagIsSet(query.textAt(11));
        r.payments = query.amountAt(12);
        r.claims = query.amountAt(13);
        if (!row(r)) {
            query.close();
            return false;
        }
    }
    query.close();
    return true;
}
