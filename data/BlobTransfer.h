#pragma once

#include <QList>
#include <QPair>
#include <QString>

class ContractQuery;

// Moves whole files into and out of a binary column of one row, streaming in chunks so
// that a file of hundreds of megabytes is never held in memory. The row is found by its
// key, which must be the table's INTEGER PRIMARY KEY.
//
// On a server the column holds the file's size and the bytes live in pieces of 1 MiB in
// blobchunk (server/BlobChunks.h); the functions below behave the same on both.

// Other columns of the same row to set in the same step: column name and SQL literal.
using ColumnValues = QList<QPair<QString, QString>>;

// Stores the file's bytes in the row. An empty path leaves the binary column as it is
// (the other columns are still set). Runs as one transaction: on any failure the row
// is left as it was.
void StoreFileInBlob(ContractQuery& query, const QString& table, const QString& idColumn,
                     qint64 id, const QString& blobColumn, const QString& filePath,
                     const ColumnValues& otherColumns = {});

// Binary columns of one row to fill from files: column name and file path.
using BlobFiles = QList<QPair<QString, QString>>;

// Stores several files in binary columns of the same row, with the other columns, in one
// statement and one transaction. Setting everything at once matters for large values:
// the engine rebuilds the whole row on every update, so a column left for a second
// statement would carry the first one's new bytes through memory.
void StoreFilesInBlobs(ContractQuery& query, const QString& table, const QString& idColumn,
                       qint64 id, const BlobFiles& files, const ColumnValues& otherColumns = {});

// Writes the bytes of the row's binary column to the target path, creating or replacing
// it; a column without bytes gives an empty file.
void ExtractBlobToFile(ContractQuery& query, const QString& table, const QString& idColumn,
                       qint64 id, const QString& blobColumn, const QString& targetPath);

// Sets other columns of a row that holds a binary value and leaves that value as it is. The
// engine rewrites a whole row to change any column of it, holding a binary value in memory
// twice on the way; a value larger than a few megabytes is therefore moved out to a
// temporary folder beside the contract file and streamed back into the rewritten row, so
// that memory stays at one chunk whatever its size. Runs as one transaction: on any failure
// the row is left as it was.
void UpdateKeepingBlob(ContractQuery& query, const QString& table, const QString& idColumn,
                       qint64 id, const QString& blobColumn, const ColumnValues& columns);
