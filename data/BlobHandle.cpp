#include "BlobHandle.h"

#include <sqlite3.h>

#include "EngineError.h"

BlobHandle::BlobHandle(sqlite3* db, const QString& table, const QString& column, qint64 rowid,
                       bool write)
    : db_(db) {
    const int rc = sqlite3_blob_open(db, "main", table.toUtf8().constData(),
                                     column.toUtf8().constData(), rowid, write ? 1 : 0, &blob_);
    if (rc != SQLITE_OK) {
        const AppError error = engineError(db, rc);
        sqlite3_blob_close(blob_);
        blob_ = nullptr;
        throw error;
    }
}

BlobHandle::~BlobHandle() { sqlite3_blob_close(blob_); }

int BlobHandle::size() const { return sqlite3_blob_bytes(blob_); }

void BlobHandle::write(const char* data, int length, int offset) {
    const int rc = sqlite3_blob_write(blob_, data, length, offset);
    if (rc != SQLITE_OK) throw engineError(db_, rc);
}

void BlobHandle::read(char* data, int length, int offset) {
    const int rc = sqlite3_blob_read(blob_, data, length, offset);
    if (rc != SQLITE_OK) throw engineError(db_, rc);
}
