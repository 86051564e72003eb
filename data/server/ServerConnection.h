#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

struct pg_conn;
struct pg_result;

// One result of the server, cleared when it goes away.
struct PgResultClear {
    void operator()(pg_result* result) const;
};
using PgResult = std::unique_ptr<pg_result, PgResultClear>;

// A value sent beside a statement, never spliced into its text: text in the server's
// text form, or raw bytes (a piece of a stored file).
struct ServerParam {
    QByteArray value;
    bool binary = false;
    bool null = false;

    static ServerParam text(const QString& text) { return {text.toUtf8(), false, false}; }
    static ServerParam number(qint64 number) { return {QByteArray::number(number), false, false}; }
    static ServerParam bytes(QByteArray bytes) { return {std::move(bytes), true, false}; }
    // A double in the shortest text that reads back as the same double.
    static ServerParam real(double number) { return {QByteArray::number(number, 'g', 17), false, false}; }
    static ServerParam none() { return {QByteArray(), false, true}; }
};
using ServerParams = QList<ServerParam>;

// One connection to a PostgreSQL server, closed when the object goes away.
//
// The connection string is anything libpq takes (key=value pairs, a postgresql:// URI,
// service=name, or empty for the PG* variables); the wait for the server is bounded
// (connect_timeout, 10 s unless the string says otherwise). Every session is pinned to
// the same settings, so that statement texts and values behave the same whoever set up
// the server: standard strings (a backslash is a plain character), shortest exact
// doubles, UTF-8, and a bounded wait for locks held by another clerk. The server's
// notices are kept off the terminal.
//
// Every statement goes through the extended protocol, which refuses a second statement
// after a semicolon. Failures leave as AppError with a Chinese headline and the server's
// own detail. A connection found lost before a statement is opened again when no
// transaction was open on it. One lost inside a transaction stays closed until that
// transaction is ended by rollback() (or a failed commit()): the server has undone its
// work, and running the rest of it on a new session would write half a command.
class ServerConnection {
public:
    // Connects, or throws AppError naming why not.
    explicit ServerConnection(const QString& connectionString);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Runs one statement and returns its whole result (rows or a command's status).
    PgResult execute(const QString& sql, const ServerParams& params = {}, bool binaryRows = false);

    // Runs one statement whose rows are read one at a time (memory stays at one row
    // however many there are). Until the last row is read or discardRows() is called,
    // the connection runs nothing else.
    void startRows(const QString& sql, const ServerParams& params = {}, bool binaryRows = false);
    // The next row (a result holding one row), or null after the last one; for a
    // statement without rows, null at once, with rowsChanged() set.
    PgResult nextRow();
    void discardRows();
    bool readingRows() const { return readingRows_; }

    // Rows changed by the last command (update, insert, delete).
    int rowsChanged() const { return rowsChanged_; }

    // Inside begin ... commit (or a failed or lost transaction not yet ended).
    bool inTransaction() const { return inTransaction_; }
    // Commits the open transaction; a transaction that failed earlier answers the commit
    // with a rollback, which is reported as the failure it is.
    void commit();
    // Ends the open transaction undoing its work; on a lost connection there is nothing
    // left to undo, and the next statement connects again.
    void rollback();

    QString databaseName() const;
    pg_conn* handle() const { return connection_; }

private:
    void pinSettings();
    void reopenIfLost();
    void send(const QString& sql, const ServerParams& params, bool binaryRows);
    void noteCommand(const pg_result* result);
    void noteTransaction();

    pg_conn* connection_ = nullptr;
    bool readingRows_ = false;
    int rowsChanged_ = 0;
    bool inTransaction_ = false;
};
