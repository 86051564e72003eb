#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include "ResultRows.h"

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement, finalized when the object goes away. Columns are found by
// name (case-insensitive, as the engine names them: a column or its alias).
class Statement : public ResultRows {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement() override;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Steps to the next row; false at the end. Throws AppError on an engine error.
    bool step() override;
    // Makes the statement ready to run again; the bound parameters stay until rebound.
    void reset();

    // Parameters (numbered from 1), for a statement run many times over values that come
    // from a file rather than from a person: the values go in exactly, with no literal.
    void bindNull(int index);
    void bindInt64(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString& text);
    void bindBlob(int index, const QByteArray& bytes);
    // A value of `size` zero bytes, to be filled afterwards through a BlobHandle.
    void bindZeroBlob(int index, qint64 size);
    // The key of the row the last insert on this connection made.
    qint64 lastInsertRowid() const;

    int columnIndex(const char* name) const override;
    bool isNull(int column) const override;
    qint64 int64(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;

    sqlite3_stmt* handle() const { return stmt_; }

private:
    void check(int resultCode) const;

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    mutable QHash<QByteArray, int> columns_;
};
