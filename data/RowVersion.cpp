#include "RowVersion.h"

#include <QStringBuilder>

#include "AppError.h"
#include "ContractQuery.h"

const QString& RowVersion::conflictMessage() {
    static const QString message = QStringLiteral("该记录已被其他用户修改，请重新载入后再保存");
    return message;
}

RowVersion RowVersion::ofCurrentRow(const ContractQuery& query, qint64 id) {
    RowVersion shown;
    shown.id_ = id;
    if (query.isOnServer() && !query.eof()) shown.version_ = query.integer("rowver");
    return shown;
}

RowVersion RowVersion::read(ContractQuery& query, const QString& table, const QString& keyColumn,
                            qint64 id) {
    RowVersion now;
    now.id_ = id;
    if (!query.isOnServer()) return now;
    query.RunQuery(QStringLiteral("select rowver from ") % table % QStringLiteral(" where ") %
                   keyColumn % QLatin1Char('=') % QString::number(id));
    if (!query.eof()) now.version_ = query.integer("rowver");
    query.close();
    return now;
}

namespace {

// Whether the row an update "update <table> set … where <key>=<id>" names is still there.
bool rowExists(ContractQuery& query, const QString& updateSql) {
    const QString table = updateSql.section(QLatin1Char(' '), 1, 1);
    const QString where = updateSql.mid(updateSql.lastIndexOf(QStringLiteral(" where ")));
    query.RunQuery(QStringLiteral("select count(*) as n from ") % table % where);
    const bool exists = query.integer("n") > 0;
    query.close();
    return exists;
}

}  // namespace

int RowVersion::update(ContractQuery& query, qint64 id, const QString& updateSql) {
    // A version of another row (the page moved on without reading one) guards nothing.
    if (!version_ || id != id_) {
        query.RunCommand(updateSql);
        return query.changes();
    }
    query.RunCommand(updateSql % QStringLiteral(" and rowver=") % QString::number(*version_));
    if (query.changes() == 0) {
        // A row another clerk deleted is gone rather than changed: the caller tells the
        // clerk so, as it does on a contract file.
        if (!rowExists(query, updateSql)) return 0;
        throw AppError(conflictMessage(), QStringLiteral("编号 ") % QString::number(id));
    }
    version_ = *version_ + 1;
    return query.changes();
}

void RowVersion::claim(ContractQuery& query, const QString& table, const QString& keyColumn,
                       qint64 id) {
    // Without a version of this row there is nothing to hold, and on a contract file
    // rewriting a row would carry its stored file through memory.
    if (!version_ || id != id_) return;
    update(query, id,
           QStringLiteral("update ") % table % QStringLiteral(" set ") % keyColumn %
               QLatin1Char('=') % keyColumn % QStringLiteral(" where ") % keyColumn %
               QLatin1Char('=') % QString::number(id));
}
