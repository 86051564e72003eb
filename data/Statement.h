#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement, finalized when the object goes away. Columns are found by
// name (case-insensitive, as the engine names them: a column or its alias).
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Steps to the next row; false at the end. Throws AppError on an engine error.
    bool step();

    int columnIndex(const char* name) const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;

    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    mutable QHash<QByteArray, int> columns_;
};
