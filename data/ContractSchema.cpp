#include "ContractSchema.h"

#include <sqlite3.h>

#include <QSet>

#include "AppError.h"
#include "EngineError.h"
#include "Statement.h"

const QStringList& contractTables() {
    static const QStringList tables = {QStringLiteral("htmain"),  QStringLiteral("httext"),
                                       QStringLiteral("htfk"),    QStringLiteral("htsp"),
                                       QStringLiteral("htyj"),    QStringLiteral("htqtyj"),
                                       QStringLiteral("infoset"), QStringLiteral("ghdwinfo")};
    return tables;
}

void verifyContractSchema(sqlite3* db, const QString& path) {
    QSet<QString> present;
    Statement tables(db, QStringLiteral("select lower(name) from sqlite_master where type='table'"));
    while (tables.step()) present.insert(tables.text(0));

    QStringList missing;
    for (const QString& table : contractTables())
        if (!present.contains(table)) missing << table;
    if (missing.size() == contractTables().size())
        throw AppError(QStringLiteral("所选文件不是合同文件（其中没有合同数据表）：") + path);
    if (!missing.isEmpty())
        throw AppError(QStringLiteral("合同文件缺少数据表：") + missing.join(QStringLiteral("、")),
                       path);
}

void upgradeContractSchema(sqlite3* db) {
    Statement columns(db, QStringLiteral("select lower(name) from pragma_table_info('htmain')"));
    while (columns.step())
        if (columns.text(0) == QLatin1String("cfdd")) return;
    char* message = nullptr;
    const int rc = sqlite3_exec(db, "alter table htmain add column cfdd TEXT", nullptr, nullptr, &message);
    sqlite3_free(message);
    // A file that cannot be written (read-only medium) is still opened for reading;
    // saving the contract page then reports the engine's error.
    if (rc != SQLITE_OK && (rc & 0xff) != SQLITE_READONLY) throw engineError(db, rc);
}
