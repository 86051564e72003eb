#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class ServerConnection;

// The contract tables on a server (server_schema.sql beside this file).

// Makes the tables in an empty database, all or nothing in one transaction (the caller's,
// when one is open). A database that already holds any of them is refused and left as it was.
void createServerSchema(ServerConnection& connection);

// Throws AppError naming what is missing when the database does not hold our tables.
void verifyServerSchema(ServerConnection& connection);

// A column that holds a stored file: in a contract file the bytes themselves; on a server
// the file's size (null: no file), its bytes in blobchunk under (table, key value, column).
struct StoredFileColumn {
    QString table;
    QString key;
    QString column;
};
const std::vector<StoredFileColumn>& storedFileColumns();

// The statements of a script, split at the semicolons that end them (not those inside
// quotes, dollar-quoted bodies or comments), for running one per call.
QStringList splitSqlScript(const QString& script);
