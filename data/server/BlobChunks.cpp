#include "BlobChunks.h"

#include <libpq-fe.h>

#include <QtEndian>

#include "AppError.h"

BlobChunkWriter::BlobChunkWriter(ServerConnection& connection, const QString& table, qint64 id,
                                 const QString& column)
    : connection_(connection), table_(table), id_(id), column_(column) {
    connection_.execute(
        QStringLiteral("delete from blobchunk where owner_table=$1 and owner_id=$2 and owner_column=$3"),
        {ServerParam::text(table_), ServerParam::number(id_), ServerParam::text(column_)});
    piece_.reserve(int(kBlobChunkSize));
}

void BlobChunkWriter::write(const char* data, qint64 length) {
    while (length > 0) {
        const qint64 room = kBlobChunkSize - piece_.size();
        const qint64 taken = qMin(room, length);
        piece_.append(data, int(taken));
        data += taken;
        length -= taken;
        if (piece_.size() == kBlobChunkSize) send();
    }
}

void BlobChunkWriter::send() {
    connection_.execute(QStringLiteral("insert into blobchunk (owner_table,owner_id,owner_column,seq,data) "
                                       "values ($1,$2,$3,$4,$5)"),
                        {ServerParam::text(table_), ServerParam::number(id_), ServerParam::text(column_),
                         ServerParam::number(seq_), ServerParam::bytes(piece_)});
    ++seq_;
    written_ += piece_.size();
    piece_.resize(0);  // keeps its room for the next piece (clear() would free it)
}

qint64 BlobChunkWriter::finish() {
    if (!piece_.isEmpty()) send();
    return written_;
}

BlobChunkReader::BlobChunkReader(ServerConnection& connection, const QString& table, const QString& key,
                                 qint64 id, const QString& column)
    : connection_(connection) {
    // Table and column names are the program's own, never typed by a person.
    connection_.startRows(QStringLiteral("select t.") + column + QStringLiteral(",c.data from ") + table +
                              QStringLiteral(" t left join blobchunk c on c.owner_table=$1 and c.owner_id=t.") +
                              key + QStringLiteral(" and c.owner_column=$2 where t.") + key +
                              QStringLiteral("=$3 order by c.seq"),
                          {ServerParam::text(table), ServerParam::text(column), ServerParam::number(id)},
                          true);
    PgResult first = connection_.nextRow();
    if (!first) {
        done_ = true;
        return;
    }
    rowExists_ = true;
    hasFile_ = !PQgetisnull(first.get(), 0, 0);
    if (hasFile_) size_ = qFromBigEndian<qint64>(PQgetvalue(first.get(), 0, 0));
    take(std::move(first));
}

BlobChunkReader::~BlobChunkReader() { connection_.discardRows(); }

void BlobChunkReader::take(PgResult row) {
    if (!PQgetisnull(row.get(), 0, 1))
        pending_ = QByteArray(PQgetvalue(row.get(), 0, 1), PQgetlength(row.get(), 0, 1));
}

QByteArray BlobChunkReader::next() {
    if (done_) return {};
    QByteArray piece = std::move(pending_);
    pending_ = QByteArray();
    if (!piece.isEmpty()) {
        read_ += piece.size();
        if (read_ > size_) {
            done_ = true;
            connection_.discardRows();
            throw incomplete();
        }
        if (PgResult row = connection_.nextRow()) take(std::move(row));
        return piece;
    }
    // No more pieces: what came must be the whole file.
    done_ = true;
    while (PgResult rest = connection_.nextRow()) {
    }
    if (hasFile_ && read_ != size_) throw incomplete();
    return {};
}

AppError BlobChunkReader::incomplete() const {
    return AppError(QStringLiteral("服务器上存储的文件不完整"),
                    QStringLiteral("%1 / %2 字节").arg(read_).arg(size_));
}
