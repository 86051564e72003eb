#include "RecordAccess.h"

#include "ContractQuery.h"
#include "Transaction.h"

namespace {

qint64 readColumnA(ContractQuery& query, const QString& sql) {
    query.RunQuery(sql);
    const qint64 value = query.eof() ? 0 : query.integer("a");
    query.close();
    return value;
}

}  // namespace

int CountRows(ContractQuery& query, const QString& table, qint64 contractId) {
    return int(readColumnA(query, QStringLiteral("select count(*) as a from ") + table +
                                      QStringLiteral(" where conid=") + QString::number(contractId)));
}

int CountAllRows(ContractQuery& query, const QString& table) {
    return int(readColumnA(query, QStringLiteral("select count(*) as a from ") + table));
}

qint64 NextId(ContractQuery& query, const QString& table, const QString& idColumn) {
    return readColumnA(query, QStringLiteral("select max(") + idColumn + QStringLiteral(") as a from ") +
                                  table) +
           1;
}

qint64 InsertWithNextId(ContractQuery& query, const QString& table, const QString& idColumn,
                        const std::function<QString(qint64 id)>& insert) {
    Transaction transaction(query);
    const qint64 id = NextId(query, table, idColumn);
    query.RunCommand(insert(id));
    transaction.commit();
    return id;
}
