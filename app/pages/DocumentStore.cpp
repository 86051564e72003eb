#include "DocumentStore.h"

#include <QFileInfo>

#include "BlobTransfer.h"
#include "ContractQuery.h"
#include "RecordAccess.h"
#include "SqlLiteral.h"
#include "Transaction.h"

qint64 storeDocumentRow(ContractQuery& query, qint64 contractId, qint64 currentId, ImportMode mode,
                        const QString& documentPath, const QString& rtfPath) {
    const QString name = sql::textLiteral(QFileInfo(documentPath).fileName());
    const QString table = QStringLiteral("httext");
    const QString idColumn = QStringLiteral("id");

    Transaction transaction(query);
    qint64 id = currentId;
    if (mode == ImportMode::Add || CountRows(query, table, contractId) == 0) {
        id = NextId(query, table, idColumn);
        query.RunCommand(QStringLiteral("insert into httext (id,conid,textname) values (") +
                         QString::number(id) + QLatin1Char(',') + QString::number(contractId) +
                         QLatin1Char(',') + name + QLatin1Char(')'));
    }

    BlobFiles files{{QStringLiteral("docfile"), documentPath}};
    ColumnValues columns{{QStringLiteral("textname"), name}};
    if (rtfPath.isEmpty())
        columns << qMakePair(QStringLiteral("rtffile"), QStringLiteral("null"));
    else
        files << qMakePair(QStringLiteral("rtffile"), rtfPath);
    StoreFilesInBlobs(query, table, idColumn, id, files, columns);
    transaction.commit();
    return id;
}
