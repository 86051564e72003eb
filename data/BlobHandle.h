#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_blob;

// One binary value of one row, opened for streaming in pieces and closed on every path.
// The row is found by its key, which must be the table's INTEGER PRIMARY KEY; the value
// keeps the size it has (fill a zero blob of the final size to write a new one).
class BlobHandle {
  public:
    BlobHandle(sqlite3* db, const QString& table, const QString& column, qint64 rowid, bool write);
    ~BlobHandle();
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;

    int size() const;
    void write(const char* data, int length, int offset);
    void read(char* data, int length, int offset);

  private:
    sqlite3* db_;
    sqlite3_blob* blob_ = nullptr;
};
