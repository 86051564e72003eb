#include "ContractDownload.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>

#include "BlobHandle.h"
#include "ChineseCollation.h"
#include "EngineError.h"
#include "ServerConnection.h"
#include "ServerRows.h"
#include "ServerSchema.h"
#include "Statement.h"
#include "TemplateCopy.h"
#include "TransferTables.h"

namespace {

// Type numbers of the server's catalogue (pg_type.oid) for the kinds our tables use.
constexpr Oid kInt2 = 21, kInt4 = 23, kInt8 = 20, kFloat4 = 700, kFloat8 = 701;

// The fresh file, closed on every path.
class FreshFile {
  public:
    explicit FreshFile(const QString& path) {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                                       SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            const AppError error = engineError(db_, rc);
            sqlite3_close_v2(db_);
            throw error;
        }
        sqlite3_extended_result_codes(db_, 1);
        registerChineseCollation(db_);
    }
    ~FreshFile() { sqlite3_close_v2(db_); }
    FreshFile(const FreshFile&) = delete;
    FreshFile& operator=(const FreshFile&) = delete;

    sqlite3* db() const { return db_; }
    void run(const char* sql) { Statement(db_, QString::fromLatin1(sql)).step(); }

  private:
    sqlite3* db_ = nullptr;
};

// Binds one value of a server row, as text, to the file's statement by the column's kind.
void bindServerValue(sqlite3_stmt* insert, int param, const pg_result* row, int column) {
    if (PQgetisnull(row, 0, column)) {
        sqlite3_bind_null(insert, param);
        return;
    }
    const char* text = PQgetvalue(row, 0, column);
    switch (PQftype(row, column)) {
        case kInt2:
        case kInt4:
        case kInt8:
            sqlite3_bind_int64(insert, param, QByteArray(text).toLongLong());
            break;
        case kFloat4:
        case kFloat8:
            sqlite3_bind_double(insert, param, serverDouble(QByteArray(text)));
            break;
        default:
            sqlite3_bind_text(insert, param, text, PQgetlength(row, 0, column), SQLITE_TRANSIENT);
    }
}

qint64 countSteps(ServerConnection& source, const std::vector<TransferTable>& tables) {
    qint64 steps = 0;
    for (const TransferTable& table : tables) {
        QString sql = QStringLiteral("select count(*)");
        for (const QString& file : table.files)
            sql += QStringLiteral(", coalesce(sum(") + file + QStringLiteral("),0)");
        PgResult count = source.execute(sql + QStringLiteral(" from ") + table.name);
        steps += QByteArray(PQgetvalue(count.get(), 0, 0)).toLongLong();
        for (int i = 1; i <= table.files.size(); ++i)
            steps += (QByteArray(PQgetvalue(count.get(), 0, i)).toLongLong() + 1023) / 1024;
    }
    return steps;
}

void copyRows(ServerConnection& source, sqlite3* db, const TransferTable& table,
              TransferMeter& meter) {
    const int width = int(table.values.size() + table.files.size());
    QString marks = QStringLiteral("?");
    for (int i = 1; i < width; ++i) marks += QStringLiteral(",?");
    Statement insert(db, QStringLiteral("insert into ") + table.name + QStringLiteral(" (") +
                             table.columnList() + QStringLiteral(") values (") + marks +
                             QLatin1Char(')'));
    source.startRows(table.selectText());
    while (PgResult row = source.nextRow()) {
        for (int column = 0; column < table.values.size(); ++column)
            bindServerValue(insert.handle(), column + 1, row.get(), column);
        // A stored file's column holds its size: the row gets room for it, filled below.
        for (int column = int(table.values.size()); column < width; ++column) {
            if (PQgetisnull(row.get(), 0, column))
                insert.bindNull(column + 1);
            else
                insert.bindZeroBlob(column + 1,
                                    QByteArray(PQgetvalue(row.get(), 0, column)).toLongLong());
        }
        insert.step();
        insert.reset();
        meter.advance(1);
    }
}

// The pieces of one column's files, in order, written into the room the rows made. Every
// piece must land inside its file, and all of them must fill every file exactly.
void copyFiles(ServerConnection& source, sqlite3* db, const TransferTable& table,
               const QString& column, TransferMeter& meter) {
    PgResult expected = source.execute(QStringLiteral("select coalesce(sum(") + column +
                                       QStringLiteral("),0) from ") + table.name);
    const qint64 expectedBytes = QByteArray(PQgetvalue(expected.get(), 0, 0)).toLongLong();

    // Raw bytes (binary rows), so the key comes as text to read alike.
    source.startRows(
        QStringLiteral("select c.owner_id::text, c.data from blobchunk c join ") + table.name +
            QStringLiteral(" t on t.") + table.key +
            QStringLiteral(" = c.owner_id where c.owner_table = $1 and c.owner_column = $2 "
                           "order by c.owner_id, c.seq"),
        {ServerParam::text(table.name), ServerParam::text(column)}, true);
    std::unique_ptr<BlobHandle> blob;
    qint64 owner = 0;
    int offset = 0;
    qint64 written = 0;
    const auto incomplete = [&] {
        return AppError(QStringLiteral("服务器上存储的文件不完整"),
                        QStringLiteral("%1.%2 (%3)").arg(table.name, column).arg(owner));
    };
    while (PgResult row = source.nextRow()) {
        const qint64 id = QByteArray(PQgetvalue(row.get(), 0, 0)).toLongLong();
        if (!blob || id != owner) {
            if (blob && offset != blob->size()) throw incomplete();
            owner = id;
            offset = 0;
            blob = std::make_unique<BlobHandle>(db, table.name, column, id, true);
        }
        const QByteArray piece =
            QByteArray::fromRawData(PQgetvalue(row.get(), 0, 1), PQgetlength(row.get(), 0, 1));
        if (qint64(offset) + piece.size() > blob->size()) throw incomplete();
        blob->write(piece.constData(), int(piece.size()), offset);
        offset += int(piece.size());
        written += piece.size();
        meter.advanceBytes(piece.size());
    }
    if (blob && offset != blob->size()) throw incomplete();
    if (written != expectedBytes)
        throw AppError(QStringLiteral("服务器上存储的文件不完整"), QStringLiteral("%1.%2: %3 / %4")
                                                                       .arg(table.name, column)
                                                                       .arg(written)
                                                                       .arg(expectedBytes));
}

void fill(ServerConnection& source, const QString& path, const TransferProgress& progress) {
    FreshFile file(path);
    const std::vector<TransferTable> tables = transferTables(file.db());
    verifyServerSchema(source);
    TransferMeter meter(progress, countSteps(source, tables));
    file.run("begin");
    for (const TransferTable& table : tables) {
        copyRows(source, file.db(), table, meter);
        for (const QString& column : table.files)
            copyFiles(source, file.db(), table, column, meter);
    }
    meter.finish();
    file.run("commit");
}

}  // namespace

QString downloadContractFile(ServerConnection& source, const QString& templatePath,
                             const QString& target, const TransferProgress& progress) {
    const QString fresh = copyTemplateBeside(templatePath, target);
    if (fresh.isEmpty())
        throw AppError(QStringLiteral("无法在目标文件夹中新建合同文件"),
                       QDir::toNativeSeparators(target));
    try {
        // One snapshot of the database for every table, while other clerks write.
        source.execute(QStringLiteral("begin isolation level repeatable read, read only"));
        fill(source, fresh, progress);
        source.commit();
    } catch (...) {
        try {
            if (source.inTransaction()) source.rollback();
        } catch (const AppError&) {
        }
        QFile::remove(fresh);
        throw;
    }
    return fresh;
}
