#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

#include "ResultRows.h"

struct sqlite3;
class ServerConnection;

// The one query object of the program (`myquery`): every statement of every page runs
// through RunQuery or RunCommand. It holds at most one open result set, which is valid
// only until the next statement. Engine errors leave as AppError.
//
// The data lives in one of two places, and the pages do not know which:
// - a contract file (SQLite): setContractFile(path);
// - a database on a PostgreSQL server (libpq): connectToServer(connectionString), where
//   the string is anything libpq takes ("host=db.lan dbname=contracts user=clerk1", a
//   postgresql:// URI, "service=contracts"). The database must hold our tables; an empty
//   one gets them from createServerSchema() (server/ServerSchema.h) on a ServerConnection
//   of its own, before it is opened here.
// The same statement texts run on both, and read back alike: the server's rows stream one
// at a time, a double reads as text as the file writes it, empty values sort first in an
// "order by", changes() counts the same rows. Transaction (savepoints when nested) and the
// stored-file functions of BlobTransfer.h work on both. For the data layer's own work,
// database() is the file's connection and server() the server's; each is refused while
// the object points at the other place. On a server contractFile() is empty and
// server().databaseName() names the database.
//
// Copying a contract file to an empty database needs no query object: a ServerConnection,
// createServerSchema(), then inside one begin ... commit() the rows through
// ServerConnection::execute with ServerParam values (exact doubles, nulls), and each stored
// file through BlobChunkWriter with its size in its column (server/BlobChunks.h). The
// other way, BlobChunkReader streams a stored file out piece by piece.
//
// The contract file is opened lazily, when the first statement after setContractFile runs,
// and only if it is one of ours: a missing file, a file of another format or a database
// without our tables is refused with a message naming the problem, and is not changed.
// A contract file is this program's alone while the object points at it: one that another
// program holds is refused with ContractFileInUse, and the object keeps its file.
class ContractFileLock;

class ContractQuery {
public:
    ContractQuery();
    ~ContractQuery();
    ContractQuery(const ContractQuery&) = delete;
    ContractQuery& operator=(const ContractQuery&) = delete;

    // Points the object at a contract file; throws AppError for an empty path, and
    // ContractFileInUse, leaving the object as it was, for a file another program holds.
    void setContractFile(const QString& path);
    const QString& contractFile() const { return path_; }

    // Points the object at a database on a server, connecting at once (the wait is
    // bounded). A server that cannot be reached, or a database without our tables, is
    // refused with AppError and the object keeps what it pointed at.
    void connectToServer(const QString& connectionString);
    bool isOnServer() const { return server_ != nullptr; }
    // The connection to the server, for the data layer's own work; AppError when the
    // object points at a contract file.
    ServerConnection& server();

    void RunQuery(const QString& sql);
    void RunCommand(const QString& sql);
    // Discards the open result set, if any.
    void close();

    bool eof() const { return !result_ || atEnd_; }
    void next();

    // Columns of the current row by name, read by kind. A column without value reads
    // as 0 or as the empty text; a date without value reads as 1899-12-30.
    qint64 integer(const char* column) const { return integerAt(columnIndex(column)); }
    QString text(const char* column) const { return textAt(columnIndex(column)); }
    double amount(const char* column) const { return amountAt(columnIndex(column)); }
    QDate date(const char* column) const { return dateAt(columnIndex(column)); }
    bool isNull(const char* column) const;

    // For loops over many rows: look the column up once, then read by index.
    int columnIndex(const char* column) const;
    qint64 integerAt(int column) const;
    QString textAt(int column) const;
    double amountAt(int column) const;
    QDate dateAt(int column) const;

    // Rows changed by the last RunCommand.
    int changes() const { return changes_; }

    // The open connection, opening the file first when needed. For the data layer's
    // own work (transactions, blob streams); pages use RunQuery and RunCommand. AppError
    // when the object points at a server.
    sqlite3* database();

    // After a statement failed: when the engine gave up a write half done (a full disk,
    // an I/O error) and no transaction of ours is still open, has it undo that write now,
    // so that the file is back to its size and bytes, its journal gone and the space free
    // before anyone is told. Left alone, the engine does so only at the next statement.
    void undoFailedWrite();

    // Every statement text, just before it runs; for tests and diagnostics.
    void setStatementObserver(std::function<void(const QString&)> observer) {
        observer_ = std::move(observer);
    }

private:
    const ResultRows& current() const;
    void openDatabase();
    void closeDatabase();

    QString path_;
    std::shared_ptr<ContractFileLock> lock_;
    sqlite3* db_ = nullptr;
    std::unique_ptr<ServerConnection> server_;
    std::unique_ptr<ResultRows> result_;
    bool atEnd_ = true;
    int changes_ = 0;
    std::function<void(const QString&)> observer_;
};
