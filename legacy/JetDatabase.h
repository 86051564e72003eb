#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "AppError.h"

struct S_MdbTableDef;
class JetTable;

// Damage found in an old file; the message names the table and, where it can, the row.
class JetDamage : public AppError {
  public:
    explicit JetDamage(const QString& detail);
};

// A database file of the earlier Windows program (Jet 4.0, as Access 2000 writes it),
// opened read-only through libmdb: the file is never written. Values are read from the
// raw rows, never through libmdb's text forms, which depend on the locale and cut long
// values short. What does not add up (a row that cannot be read, a long value shorter
// than its header says, a page of the wrong kind, fewer rows than the table records)
// ends the reading with an AppError that names the table and the row.
class JetDatabase {
  public:
    // Throws AppError when the file cannot be opened or is not a Jet 4.0 database.
    explicit JetDatabase(const QString& path);
    ~JetDatabase();
    JetDatabase(const JetDatabase&) = delete;
    JetDatabase& operator=(const JetDatabase&) = delete;

    bool hasTable(const QString& name) const;
    // Throws AppError when there is no such table or its definition cannot be read.
    std::unique_ptr<JetTable> openTable(const QString& name);

    // Pages of the file, and pages read so far: a measure of the work done.
    qint64 pageCount() const;
    qint64 pagesRead() const;

  private:
    friend class JetTable;
    struct Private;
    std::unique_ptr<Private> d;
};

// The kinds of column the reader tells apart.
enum class JetType {
    Boolean,
    Integer,
    Real,
    Money,
    DateTime,
    Text,
    Memo,
    LongBinary,
    Binary,
    Other
};

struct JetColumn {
    QString name;
    JetType type;
};

// Called with the pieces of a long value, in order.
using LongValueSink = std::function<void(const char* data, qsizetype size)>;

// The rows of one table, in the order they lie in the file, one at a time.
class JetTable {
  public:
    ~JetTable();
    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;

    const QString& name() const { return name_; }
    const QList<JetColumn>& columns() const { return columns_; }
    // The column's index, found without regard to case; -1 when the table has none.
    int columnIndex(const QString& column) const;
    // The number of rows the table's definition records.
    qint64 rowCount() const;

    // Steps to the next row; false after the last. Throws AppError on a damaged row, or at
    // the end when fewer rows were found than the table records.
    bool next();
    // The current row's place in the table, from 1.
    qint64 rowNumber() const { return rowNumber_; }

    // Values of the current row. A missing value is null; Boolean columns are never null.
    bool isNull(int column) const;
    bool boolean(int column) const;
    qint64 integer(int column) const;    // Integer columns
    double real(int column) const;       // Integer, Real and Money columns
    double dateTime(int column) const;   // days since 1899-12-30, the time as the fraction
    QString text(int column) const;      // Text and Memo columns
    QByteArray bytes(int column) const;  // Binary columns
    // A long binary (or memo): its length as its header records it, 0 when it is missing;
    // then its bytes, streamed a page at a time and checked against that length.
    qint64 longValueSize(int column) const;
    void readLongValue(int column, const LongValueSink& sink) const;

    // "表 htyj 第 3 行（htyjid=70）": the current row, named for a message.
    QString rowLabel() const;
    // The error for damage found in the current row.
    JetDamage damaged(const QString& what) const;

  private:
    friend class JetDatabase;
    JetTable(JetDatabase& database, S_MdbTableDef* table);
    struct Field {
        int start = 0;
        int size = 0;
        bool null = true;
    };
    const Field& field(int column) const;
    const unsigned char* page() const;
    QByteArray readLongValueWhole(int column) const;
    void readLongValueRow(quint32 pageRow, const char*& data, int& size) const;

    JetDatabase& database_;
    S_MdbTableDef* table_;
    QString name_;
    QList<JetColumn> columns_;
    std::vector<int> mdbTypes_;
    std::vector<Field> fields_;
    bool rowRead_ = false;
    bool onPage_ = false;
    int nextRowOnPage_ = 0;
    qint64 rowNumber_ = 0;
};
