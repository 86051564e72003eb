#include "TransferTables.h"

#include "ContractSchema.h"
#include "ServerSchema.h"
#include "Statement.h"

QString TransferTable::columnList() const { return (values + files).join(QLatin1Char(',')); }

QString TransferTable::selectText() const {
    return QStringLiteral("select ") + columnList() + QStringLiteral(" from ") + name +
           QStringLiteral(" order by ") + key;
}

std::vector<TransferTable> transferTables(sqlite3* db) {
    std::vector<TransferTable> tables;
    for (const QString& name : contractTables()) {
        TransferTable table{name, {}, {}, {}};
        for (const StoredFileColumn& file : storedFileColumns())
            if (file.table == name) table.files << file.column;
        Statement columns(db, QStringLiteral("select name, pk from pragma_table_info('") + name +
                                  QStringLiteral("') order by cid"));
        while (columns.step()) {
            const QString column = columns.text(0);
            if (columns.int64(1) == 1) table.key = column;
            if (!table.files.contains(column)) table.values << column;
        }
        tables.push_back(table);
    }
    return tables;
}
