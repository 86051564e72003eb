#include "Statement.h"

#include <sqlite3.h>

#include "EngineError.h"

Statement::Statement(sqlite3* db, const QString& sql) : db_(db) {
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) throw engineError(db_, rc);
    if (!stmt_) throw AppError(QStringLiteral("数据库语句执行出错"), QStringLiteral("语句为空"));
    // Every statement of the program is a single statement; a second one smuggled in
    // after a semicolon is refused rather than silently dropped or run.
    for (const char* p = tail; p && *p; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw AppError(QStringLiteral("数据库语句执行出错"), QStringLiteral("只能执行单条语句"));
        }
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw engineError(db_, rc);
}

void Statement::reset() { sqlite3_reset(stmt_); }

void Statement::check(int rc) const {
    if (rc != SQLITE_OK) throw engineError(db_, rc);
}

void Statement::bindNull(int index) { check(sqlite3_bind_null(stmt_, index)); }

void Statement::bindInt64(int index, qint64 value) {
    check(sqlite3_bind_int64(stmt_, index, value));
}

void Statement::bindDouble(int index, double value) {
    check(sqlite3_bind_double(stmt_, index, value));
}

void Statement::bindText(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    check(sqlite3_bind_text64(stmt_, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                              SQLITE_TRANSIENT, SQLITE_UTF8));
}

void Statement::bindBlob(int index, const QByteArray& bytes) {
    check(sqlite3_bind_blob64(stmt_, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                              SQLITE_TRANSIENT));
}

void Statement::bindZeroBlob(int index, qint64 size) {
    check(sqlite3_bind_zeroblob64(stmt_, index, sqlite3_uint64(size)));
}

qint64 Statement::lastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

int Statement::columnIndex(const char* name) const {
    if (columns_.isEmpty()) {
        const int count = sqlite3_column_count(stmt_);
        for (int i = 0; i < count; ++i) {
            const QByteArray key = QByteArray(sqlite3_column_name(stmt_, i)).toLower();
            if (!columns_.contains(key)) columns_.insert(key, i);
        }
    }
    const auto it = columns_.constFind(QByteArray(name).toLower());
    if (it == columns_.constEnd())
        throw AppError(QStringLiteral("合同文件中缺少数据列"), QString::fromUtf8(name));
    return it.value();
}

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

qint64 Statement::int64(int column) const { return sqlite3_column_int64(stmt_, column); }

double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

QString Statement::text(int column) const {
    const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!chars) return {};
    return QString::fromUtf8(chars, sqlite3_column_bytes(stmt_, column));
}
