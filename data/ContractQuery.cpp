#include "ContractQuery.h"

#include <sqlite3.h>

#include "AppError.h"
#include "ChineseCollation.h"
#include "ContractFileLock.h"
#include "ContractFileProbe.h"
#include "ContractSchema.h"
#include "EngineError.h"
#include "ServerConnection.h"
#include "ServerRows.h"
#include "ServerSchema.h"
#include "ServerStatementText.h"
#include "SqlLiteral.h"
#include "Statement.h"

ContractQuery::ContractQuery() = default;

ContractQuery::~ContractQuery() { closeDatabase(); }

void ContractQuery::setContractFile(const QString& path) {
    if (path.trimmed().isEmpty())
        throw AppError(QStringLiteral("合同文件路径为空"));
    // Claimed before anything changes here: a file held elsewhere leaves the old one open.
    // Only a file that looks like ours gets a lock file beside it.
    std::shared_ptr<ContractFileLock> lock;
    if (probeContractFile(path) == ContractFileKind::Database) lock = ContractFileLock::claim(path);
    closeDatabase();
    server_.reset();
    path_ = path;
    lock_ = std::move(lock);
}

void ContractQuery::connectToServer(const QString& connectionString) {
    auto connection = std::make_unique<ServerConnection>(connectionString);
    verifyServerSchema(*connection);
    closeDatabase();
    lock_.reset();
    path_.clear();
    server_ = std::move(connection);
}

ServerConnection& ContractQuery::server() {
    if (!server_) throw AppError(QStringLiteral("尚未连接服务器"));
    return *server_;
}

void ContractQuery::closeDatabase() {
    close();
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

sqlite3* ContractQuery::database() {
    if (server_) throw AppError(QStringLiteral("数据在服务器上，不能按合同文件读写"));
    if (!db_) openDatabase();
    return db_;
}

void ContractQuery::openDatabase() {
    if (path_.isEmpty()) throw AppError(QStringLiteral("尚未打开合同文件"));
    const ContractFileKind kind = probeContractFile(path_);
    if (kind != ContractFileKind::Database)
        throw AppError(contractFileProblem(kind, path_));
    if (!lock_) lock_ = ContractFileLock::claim(path_);

    sqlite3* db = nullptr;
    // Read-write, never create: a path that does not exist must not become an empty file.
    const int rc = sqlite3_open_v2(path_.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const AppError error = engineError(db, rc);
        sqlite3_close_v2(db);
        throw error;
    }
    try {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, 3000);
        registerChineseCollation(db);
        verifyContractSchema(db, path_);
        upgradeContractSchema(db);
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    db_ = db;
}

void ContractQuery::RunQuery(const QString& sql) {
    close();
    if (server_) {
        if (observer_) observer_(sql);
        auto rows = std::make_unique<ServerRows>(*server_, serverStatementText(sql));
        atEnd_ = !rows->step();
        result_ = std::move(rows);
        return;
    }
    sqlite3* db = database();
    if (observer_) observer_(sql);
    try {
        auto statement = std::make_unique<Statement>(db, sql);
        atEnd_ = !statement->step();
        result_ = std::move(statement);
    } catch (...) {
        undoFailedWrite();
        throw;
    }
}

void ContractQuery::RunCommand(const QString& sql) {
    close();
    if (server_) {
        if (observer_) observer_(sql);
        // Only a select's order is rewritten; a command has no rows to order.
        server_->execute(sql);
        changes_ = server_->rowsChanged();
        return;
    }
    sqlite3* db = database();
    if (observer_) observer_(sql);
    try {
        Statement statement(db, sql);
        while (statement.step()) {
        }
    } catch (...) {
        undoFailedWrite();
        throw;
    }
    changes_ = sqlite3_changes(db);
}

void ContractQuery::undoFailedWrite() {
    close();
    if (!db_ || !sqlite3_get_autocommit(db_)) return;
    // The engine leaves the journal of a write it gave up beside the file, and plays it
    // back when it next reads; this read is that next one. Nothing else to do when there
    // is no such journal.
    sqlite3_exec(db_, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
}

void ContractQuery::close() {
    result_.reset();
    atEnd_ = true;
}

void ContractQuery::next() {
    if (eof()) return;
    atEnd_ = !result_->step();
}

const ResultRows& ContractQuery::current() const {
    if (eof()) throw AppError(QStringLiteral("没有当前记录"));
    return *result_;
}

int ContractQuery::columnIndex(const char* column) const { return current().columnIndex(column); }

bool ContractQuery::isNull(const char* column) const {
    return current().isNull(columnIndex(column));
}

qint64 ContractQuery::integerAt(int column) const { return current().int64(column); }

QString ContractQuery::textAt(int column) const { return current().text(column); }

double ContractQuery::amountAt(int column) const { return current().real(column); }

QDate ContractQuery::dateAt(int column) const {
    return sql::parseStoredDate(current().text(column));
}
