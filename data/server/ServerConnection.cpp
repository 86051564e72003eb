#include "ServerConnection.h"

#include <libpq-fe.h>

#include <vector>

#include "AppError.h"
#include "ServerError.h"

void PgResultClear::operator()(pg_result* result) const { PQclear(result); }

namespace {

// Notices (a savepoint released twice, an identifier truncated) say nothing a clerk can act
// on, and libpq would print them on the terminal.
void ignoreNotice(void*, const char*) {}

bool failed(const pg_result* result) {
    const ExecStatusType status = PQresultStatus(result);
    return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_SINGLE_TUPLE;
}

}  // namespace

ServerConnection::ServerConnection(const QString& connectionString) {
    // The caller's string comes after our default wait, so its own connect_timeout wins;
    // the client encoding comes after it, as every text of the program is UTF-8.
    const QByteArray expanded = connectionString.toUtf8();
    const char* keys[] = {"connect_timeout", "fallback_application_name", "dbname", "client_encoding", nullptr};
    const char* values[] = {"10", "vemora", expanded.constData(), "UTF8", nullptr};
    connection_ = PQconnectdbParams(keys, values, 1);
    if (!connection_ || PQstatus(connection_) != CONNECTION_OK) {
        const AppError error = connectionError(connection_);
        PQfinish(connection_);
        connection_ = nullptr;
        throw error;
    }
    PQsetNoticeProcessor(connection_, ignoreNotice, nullptr);
    try {
        pinSettings();
    } catch (...) {
        PQfinish(connection_);
        connection_ = nullptr;
        throw;
    }
}

ServerConnection::~ServerConnection() { PQfinish(connection_); }

void ServerConnection::pinSettings() {
    // extra_float_digits=1 prints the shortest text that reads back as the same double, so
    // an amount comes back exactly as stored; the data layer shows it as the file does.
    // One statement, one round trip; the client encoding is set when connecting.
    static const char* const sql =
        "select set_config('standard_conforming_strings','on',false),"
        "set_config('extra_float_digits','1',false),"
        "set_config('lock_timeout','5s',false),"
        "set_config('client_min_messages','warning',false)";
    PgResult result(PQexecParams(connection_, sql, 0, nullptr, nullptr, nullptr, nullptr, 0));
    if (failed(result.get())) throw serverError(connection_, result.get());
}

void ServerConnection::reopenIfLost() {
    if (PQstatus(connection_) == CONNECTION_OK) return;
    if (inTransaction_)
        throw AppError(QStringLiteral("与服务器的连接已断开"),
                       QStringLiteral("进行中的操作已由服务器撤销，没有写入任何数据"));
    PQreset(connection_);
    if (PQstatus(connection_) != CONNECTION_OK) throw connectionError(connection_);
    pinSettings();
}

void ServerConnection::send(const QString& sql, const ServerParams& params, bool binaryRows) {
    if (readingRows_) discardRows();
    reopenIfLost();
    const QByteArray text = sql.toUtf8();
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const ServerParam& param : params) {
        values.push_back(param.null ? nullptr : param.value.constData());
        lengths.push_back(int(param.value.size()));
        formats.push_back(param.binary ? 1 : 0);
    }
    if (!PQsendQueryParams(connection_, text.constData(), int(params.size()), nullptr, values.data(),
                           lengths.data(), formats.data(), binaryRows ? 1 : 0))
        throw serverError(connection_, nullptr);
}

void ServerConnection::noteCommand(const pg_result* result) {
    rowsChanged_ = QByteArray(PQcmdTuples(const_cast<pg_result*>(result))).toInt();
}

void ServerConnection::noteTransaction() {
    // A lost connection answers "unknown": what was known before still holds.
    const PGTransactionStatusType status = PQtransactionStatus(connection_);
    if (status == PQTRANS_IDLE) inTransaction_ = false;
    else if (status == PQTRANS_INTRANS || status == PQTRANS_INERROR) inTransaction_ = true;
}

PgResult ServerConnection::execute(const QString& sql, const ServerParams& params, bool binaryRows) {
    send(sql, params, binaryRows);
    // The one result of the statement, then the end marker: the connection is free again.
    PgResult result(PQgetResult(connection_));
    while (PgResult rest{PQgetResult(connection_)}) {
    }
    noteTransaction();
    if (!result || failed(result.get())) throw serverError(connection_, result.get());
    noteCommand(result.get());
    return result;
}

void ServerConnection::startRows(const QString& sql, const ServerParams& params, bool binaryRows) {
    send(sql, params, binaryRows);
    readingRows_ = true;
    PQsetSingleRowMode(connection_);
}

PgResult ServerConnection::nextRow() {
    if (!readingRows_) return nullptr;
    PgResult result(PQgetResult(connection_));
    if (result && PQresultStatus(result.get()) == PGRES_SINGLE_TUPLE) return result;
    // The end of the rows, or a failure: either way the statement is over once libpq has
    // handed out everything it has for it.
    std::unique_ptr<AppError> error;
    if (!result || failed(result.get())) error = std::make_unique<AppError>(serverError(connection_, result.get()));
    else noteCommand(result.get());
    while (PgResult rest{PQgetResult(connection_)}) {
    }
    readingRows_ = false;
    noteTransaction();
    if (error) throw *error;
    return nullptr;
}

void ServerConnection::discardRows() {
    if (!readingRows_) return;
    // Rows not wanted any more are read and dropped. A cancel request would save the
    // transfer, but it travels apart from the connection and may land on the next statement.
    while (PgResult rest{PQgetResult(connection_)}) {
    }
    readingRows_ = false;
    noteTransaction();
}

void ServerConnection::commit() {
    PgResult result;
    try {
        result = execute(QStringLiteral("commit"));
    } catch (const AppError&) {
        // Lost before or during the commit: the transaction is over either way.
        if (PQstatus(connection_) != CONNECTION_OK) inTransaction_ = false;
        throw;
    }
    if (QByteArray(PQcmdStatus(result.get())) != "COMMIT")
        throw AppError(QStringLiteral("操作中有语句出错，已全部撤销"),
                       QString::fromUtf8(PQcmdStatus(result.get())));
}

void ServerConnection::rollback() {
    if (PQstatus(connection_) != CONNECTION_OK) {
        inTransaction_ = false;
        return;
    }
    execute(QStringLiteral("rollback"));
}

QString ServerConnection::databaseName() const { return QString::fromUtf8(PQdb(connection_)); }

int ServerConnection::backendPid() const { return PQbackendPID(connection_); }
