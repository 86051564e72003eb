#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct sqlite3;

// One contract table as a copy between a contract file and a server moves it: its key,
// the columns copied as values (the key among them, in the file's order) and the columns
// holding stored files, which travel as streams.
struct TransferTable {
    QString name;
    QString key;
    QStringList values;
    QStringList files;

    // "select <values>, <files>" in key order, as a download reads a table from the server
    // (where a stored file's column holds only its size).
    QString selectText() const;
    // Every column, values then files, comma-separated.
    QString columnList() const;
};

// The eight tables as the contract file `db` has them.
std::vector<TransferTable> transferTables(sqlite3* db);
