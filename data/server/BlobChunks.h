#pragma once

#include <QByteArray>
#include <QString>

#include "AppError.h"
#include "ServerConnection.h"

// Stored files on a server: the bytes of the file in a row's column live in blobchunk as
// pieces of up to 1 MiB, numbered from 0; the column itself holds the file's size (null:
// no file). Pieces travel as raw bytes both ways, one at a time, so memory stays at one
// piece whatever the file's size.

constexpr qint64 kBlobChunkSize = 1 << 20;

// Writes the pieces of one stored file, replacing those it had. Runs inside the caller's
// transaction, which must also set the column to the size finish() returns: a file is
// stored whole or not at all.
class BlobChunkWriter {
public:
    BlobChunkWriter(ServerConnection& connection, const QString& table, qint64 id, const QString& column);

    void write(const char* data, qint64 length);
    // Sends what is left; the number of bytes written in all.
    qint64 finish();

private:
    void send();

    ServerConnection& connection_;
    QString table_;
    qint64 id_;
    QString column_;
    QByteArray piece_;
    int seq_ = 0;
    qint64 written_ = 0;
};

// Reads one stored file of one row in a single statement, so the size and the pieces
// belong together even while another clerk replaces the file.
class BlobChunkReader {
public:
    BlobChunkReader(ServerConnection& connection, const QString& table, const QString& key, qint64 id,
                    const QString& column);
    ~BlobChunkReader();
    BlobChunkReader(const BlobChunkReader&) = delete;
    BlobChunkReader& operator=(const BlobChunkReader&) = delete;

    bool rowExists() const { return rowExists_; }
    // The next piece; empty after the last. Throws AppError when the pieces do not add up
    // to the size.
    QByteArray next();

private:
    void take(PgResult row);
    AppError incomplete() const;

    ServerConnection& connection_;
    bool rowExists_ = false;
    bool hasFile_ = false;
    qint64 size_ = 0;
    qint64 read_ = 0;
    QByteArray pending_;
    bool done_ = false;
};
