#include "ServerSchema.h"

#include <libpq-fe.h>

#include "AppError.h"
#include "ContractSchema.h"
#include "ServerConnection.h"
#include "ServerSchemaText.h"

namespace {

// Our tables (and the chunk table) present in the connection's schema, in lower case.
QStringList presentTables(ServerConnection& connection) {
    QStringList names = contractTables();
    names << QStringLiteral("blobchunk");
    PgResult result = connection.execute(
        QStringLiteral("select c.relname from pg_class c where c.relkind in ('r','p','v') "
                       "and c.relnamespace = current_schema()::regnamespace and c.relname = any($1::text[])"),
        {ServerParam::text(QLatin1Char('{') + names.join(QLatin1Char(',')) + QLatin1Char('}'))});
    QStringList present;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        present << QString::fromUtf8(PQgetvalue(result.get(), row, 0));
    return present;
}

}  // namespace

QStringList splitSqlScript(const QString& script) {
    QStringList statements;
    QString current;
    QString dollarTag;  // inside $tag$ ... $tag$ when not empty
    bool inQuote = false;
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (!dollarTag.isEmpty()) {
            if (script.mid(i, dollarTag.size()) == dollarTag) {
                current += dollarTag;
                i += int(dollarTag.size()) - 1;
                dollarTag.clear();
            } else {
                current += c;
            }
            continue;
        }
        if (inQuote) {
            current += c;
            if (c == QLatin1Char('\'')) inQuote = false;  // a doubled quote reopens at once
            continue;
        }
        if (c == QLatin1Char('-') && script.mid(i, 2) == QLatin1String("--")) {
            const int end = int(script.indexOf(QLatin1Char('\n'), i));
            i = end < 0 ? int(script.size()) : end;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\'')) inQuote = true;
        if (c == QLatin1Char('$')) {
            const int close = int(script.indexOf(QLatin1Char('$'), i + 1));
            const QString tag = close < 0 ? QString() : script.mid(i, close - i + 1);
            bool isTag = close > 0;
            for (int k = 1; isTag && k < tag.size() - 1; ++k)
                isTag = tag.at(k).isLetterOrNumber() || tag.at(k) == QLatin1Char('_');
            if (isTag) {
                dollarTag = tag;
                current += tag;
                i = close;
                continue;
            }
        }
        if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty()) statements << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty()) statements << current.trimmed();
    return statements;
}

void createServerSchema(ServerConnection& connection) {
    const QStringList present = presentTables(connection);
    if (!present.isEmpty())
        throw AppError(QStringLiteral("服务器上的数据库不是空的，其中已有合同数据表"),
                       present.join(QStringLiteral("、")));
    // Inside a transaction of the caller's (an upload), the tables come and go with it.
    const bool ownTransaction = !connection.inTransaction();
    if (ownTransaction) connection.execute(QStringLiteral("begin"));
    try {
        for (const QString& statement : splitSqlScript(QString::fromUtf8(kServerSchemaSql)))
            connection.execute(statement);
        if (ownTransaction) connection.commit();
    } catch (...) {
        try {
            if (ownTransaction && connection.inTransaction()) connection.rollback();
        } catch (const AppError&) {
        }
        throw;
    }
}

void verifyServerSchema(ServerConnection& connection) {
    const QStringList present = presentTables(connection);
    QStringList missing;
    for (const QString& table : contractTables())
        if (!present.contains(table)) missing << table;
    if (!present.contains(QStringLiteral("blobchunk"))) missing << QStringLiteral("blobchunk");
    const QString database = connection.databaseName();
    if (missing.size() == contractTables().size() + 1)
        throw AppError(QStringLiteral("服务器上的数据库中没有合同数据表，不是合同数据库：") + database);
    if (!missing.isEmpty())
        throw AppError(QStringLiteral("服务器上的合同数据库缺少数据表：") + missing.join(QStringLiteral("、")),
                       database);
}

const std::vector<StoredFileColumn>& storedFileColumns() {
    static const std::vector<StoredFileColumn> columns = {
        {QStringLiteral("httext"), QStringLiteral("id"), QStringLiteral("docfile")},
        {QStringLiteral("httext"), QStringLiteral("id"), QStringLiteral("rtffile")},
        {QStringLiteral("htyj"), QStringLiteral("htyjid"), QStringLiteral("htyjpic")},
        {QStringLiteral("htqtyj"), QStringLiteral("qtyjid"), QStringLiteral("qtyjpic")},
    };
    return columns;
}
