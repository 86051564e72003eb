#include "BlobTransfer.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "AppError.h"
#include "BlobChunks.h"
#include "BlobHandle.h"
#include "ContractQuery.h"
#include "EngineError.h"
#include "Transaction.h"

namespace {

constexpr qint64 kChunk = 1 << 20;

// A binary value up to this size may sit in memory twice while its row is rewritten.
constexpr qint64 kHeldTwiceFreely = 16 << 20;

QString whereKey(const QString& idColumn, qint64 id) {
    return QStringLiteral(" where ") + idColumn + QLatin1Char('=') + QString::number(id);
}

AppError missingRow(const QString& table, qint64 id) {
    return AppError(QStringLiteral("要读写的记录不存在"), table + QLatin1Char(' ') + QString::number(id));
}

}  // namespace

void StoreFileInBlob(ContractQuery& query, const QString& table, const QString& idColumn,
                     qint64 id, const QString& blobColumn, const QString& filePath,
                     const ColumnValues& otherColumns) {
    BlobFiles files;
    if (!filePath.isEmpty()) files << qMakePair(blobColumn, filePath);
    StoreFilesInBlobs(query, table, idColumn, id, files, otherColumns);
}

void StoreFilesInBlobs(ContractQuery& query, const QString& table, const QString& idColumn,
                       qint64 id, const BlobFiles& files, const ColumnValues& otherColumns) {
    struct Source {
        QString column;
        std::unique_ptr<QFile> file;
        qint64 size;
    };
    std::vector<Source> sources;
    for (const auto& [column, path] : files) {
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("无法读取文件"), path);
        const qint64 size = file->size();
        if (!query.isOnServer() && size > sqlite3_limit(query.database(), SQLITE_LIMIT_LENGTH, -1))
            throw AppError(QStringLiteral("文件太大，无法存入合同文件"), path);
        sources.push_back({column, std::move(file), size});
    }

    QStringList assignments;
    for (const auto& [column, literal] : otherColumns) assignments << column + QLatin1Char('=') + literal;
    // A contract file gets room for the bytes, filled below; a server gets the size, the
    // bytes going to their pieces.
    for (const Source& source : sources)
        assignments << source.column +
                           (query.isOnServer() ? QString(QLatin1Char('=') + QString::number(source.size))
                                               : QString(QStringLiteral("=zeroblob(") +
                                                         QString::number(source.size) + QLatin1Char(')')));
    if (assignments.isEmpty()) return;

    Transaction transaction(query);
    query.RunCommand(QStringLiteral("update ") + table + QStringLiteral(" set ") +
                     assignments.join(QLatin1Char(',')) + whereKey(idColumn, id));
    if (query.changes() != 1) throw missingRow(table, id);

    if (query.isOnServer()) {
        QByteArray buffer(int(kChunk), Qt::Uninitialized);
        for (const Source& source : sources) {
            BlobChunkWriter pieces(query.server(), table, id, source.column);
            for (qint64 offset = 0; offset < source.size;) {
                const qint64 got = source.file->read(buffer.data(), qMin(kChunk, source.size - offset));
                if (got <= 0) throw AppError(QStringLiteral("读取文件时出错"), source.file->fileName());
                pieces.write(buffer.constData(), got);
                offset += got;
            }
            pieces.finish();
        }
        transaction.commit();
        return;
    }
    for (const Source& source : sources) {
        BlobHandle blob(query.database(), table, source.column, id, true);
        QByteArray buffer(int(qMin(source.size, kChunk)), Qt::Uninitialized);
        for (qint64 offset = 0; offset < source.size;) {
            const qint64 got = source.file->read(buffer.data(), qMin(kChunk, source.size - offset));
            if (got <= 0) throw AppError(QStringLiteral("读取文件时出错"), source.file->fileName());
            blob.write(buffer.constData(), int(got), int(offset));
            offset += got;
        }
    }
    transaction.commit();
}

namespace {

void extractFromServer(ContractQuery& query, const QString& table, const QString& idColumn, qint64 id,
                       const QString& blobColumn, const QString& targetPath) {
    query.close();
    BlobChunkReader pieces(query.server(), table, idColumn, id, blobColumn);
    if (!pieces.rowExists()) throw missingRow(table, id);
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("无法写入文件"), targetPath);
    for (QByteArray piece = pieces.next(); !piece.isEmpty(); piece = pieces.next())
        if (target.write(piece) != piece.size()) throw AppError(QStringLiteral("写入文件时出错"), targetPath);
    if (!target.commit()) throw AppError(QStringLiteral("写入文件时出错"), targetPath);
}

}  // namespace

void ExtractBlobToFile(ContractQuery& query, const QString& table, const QString& idColumn,
                       qint64 id, const QString& blobColumn, const QString& targetPath) {
    if (query.isOnServer()) return extractFromServer(query, table, idColumn, id, blobColumn, targetPath);
    // typeof() is answered from the record header; "is null" would make the engine load
    // the whole value into memory just to look at it.
    query.RunQuery(QStringLiteral("select typeof(") + blobColumn + QStringLiteral(") as kind from ") +
                   table + whereKey(idColumn, id));
    if (query.eof()) throw missingRow(table, id);
    const bool empty = query.text("kind") == QLatin1String("null");
    query.close();

    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("无法写入文件"), targetPath);
    if (!empty) {
        BlobHandle blob(query.database(), table, blobColumn, id, false);
        const int size = blob.size();
        QByteArray buffer(int(qMin<qint64>(size, kChunk)), Qt::Uninitialized);
        for (int offset = 0; offset < size;) {
            const int length = int(qMin<qint64>(kChunk, size - offset));
            blob.read(buffer.data(), length, offset);
            if (target.write(buffer.constData(), length) != length)
                throw AppError(QStringLiteral("写入文件时出错"), targetPath);
            offset += length;
        }
    }
    if (!target.commit()) throw AppError(QStringLiteral("写入文件时出错"), targetPath);
}

namespace {

// Whether the row's binary value is too large to sit in memory twice while the row is
// rewritten. typeof() and length() are answered from the record header, without the value.
bool blobIsLarge(ContractQuery& query, const QString& table, const QString& idColumn, qint64 id,
                 const QString& blobColumn) {
    query.RunQuery(QStringLiteral("select typeof(") + blobColumn + QStringLiteral(") as kind,length(") +
                   blobColumn + QStringLiteral(") as size from ") + table + whereKey(idColumn, id));
    if (query.eof()) throw missingRow(table, id);
    const bool large = query.text("kind") == QLatin1String("blob") && query.integer("size") > kHeldTwiceFreely;
    query.close();
    return large;
}

}  // namespace

void UpdateKeepingBlob(ContractQuery& query, const QString& table, const QString& idColumn,
                       qint64 id, const QString& blobColumn, const ColumnValues& columns) {
    if (columns.isEmpty()) return;
    // On a server the pieces live apart from the row, and rewriting it never moves them.
    const bool large = !query.isOnServer() && blobIsLarge(query, table, idColumn, id, blobColumn);
    if (!large) {
        QStringList assignments;
        for (const auto& [column, literal] : columns) assignments << column + QLatin1Char('=') + literal;
        query.RunCommand(QStringLiteral("update ") + table + QStringLiteral(" set ") +
                         assignments.join(QLatin1Char(',')) + whereKey(idColumn, id));
        if (query.changes() != 1) throw missingRow(table, id);
        return;
    }

    // Beside the contract file, whose folder the engine writes its journal to anyway, and
    // never in a temporary folder that may live in memory.
    QTemporaryDir aside(QFileInfo(query.contractFile()).absoluteDir().filePath(
        QStringLiteral(".vemora-XXXXXX")));
    if (!aside.isValid())
        throw AppError(QStringLiteral("无法建立临时文件夹"), aside.errorString());
    const QString copy = aside.filePath(QStringLiteral("value"));
    ExtractBlobToFile(query, table, idColumn, id, blobColumn, copy);
    StoreFileInBlob(query, table, idColumn, id, blobColumn, copy, columns);
}
