#include "ServerSessionInfo.h"

#include <libpq-fe.h>

#include "ServerConnection.h"

bool serverAllowsWriting(ServerConnection& connection) {
    PgResult result =
        connection.execute(QStringLiteral("select has_table_privilege('htmain', 'INSERT') and "
                                          "has_table_privilege('htmain', 'UPDATE') "
                                          "and has_table_privilege('htmain', 'DELETE') "
                                          "and not current_setting('transaction_read_only')::bool"));
    return QByteArray(PQgetvalue(result.get(), 0, 0)) == "t";
}

QString serverPlaceName(ServerConnection& connection) {
    const QString host = QString::fromUtf8(PQhost(connection.handle()));
    const bool local = host.isEmpty() || host.startsWith(QLatin1Char('/'));
    return connection.databaseName() + QLatin1Char('@') + (local ? QStringLiteral("本机") : host);
}
