#include "ContractUpload.h"

#include <sqlite3.h>

#include "AppError.h"
#include "BlobChunks.h"
#include "BlobHandle.h"
#include "ServerConnection.h"
#include "ServerSchema.h"
#include "Statement.h"
#include "TransferTables.h"

namespace {

// Rows go to the server many to one statement, which saves a round trip per row; the
// server takes at most 65535 parameters in one statement.
constexpr int kRowsPerInsert = 500;
constexpr int kParamsPerInsert = 30000;

// A value of the file as the server's text form, or its own bytes for a text: a text the
// server cannot take (not UTF-8) is refused by the server with its reason, not altered.
ServerParam fileValue(sqlite3_stmt* row, int column) {
    switch (sqlite3_column_type(row, column)) {
        case SQLITE_NULL:
            return ServerParam::none();
        case SQLITE_INTEGER:
            return ServerParam::number(sqlite3_column_int64(row, column));
        case SQLITE_FLOAT:
            return ServerParam::real(sqlite3_column_double(row, column));
        default: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(row, column));
            const QByteArray value(bytes, sqlite3_column_bytes(row, column));
            // A text goes to the server up to its first NUL; one holding a NUL would arrive
            // cut short, so it is refused like any value the server cannot take.
            if (value.contains('\0'))
                throw AppError(QStringLiteral("合同文件中有服务器不能保存的数据"),
                               QStringLiteral("%1 列含有空字符").arg(
                                   QString::fromUtf8(sqlite3_column_name(row, column))));
            return {value, false, false};
        }
    }
}

QString insertText(const TransferTable& table, int rows) {
    const int width = int(table.values.size() + table.files.size());
    QString sql = QStringLiteral("insert into ") + table.name + QStringLiteral(" (") +
                  table.columnList() + QStringLiteral(") values ");
    int param = 1;
    for (int row = 0; row < rows; ++row) {
        sql += row ? QStringLiteral(",(") : QStringLiteral("(");
        for (int column = 0; column < width; ++column) {
            if (column) sql += QLatin1Char(',');
            sql += QLatin1Char('$') + QString::number(param++);
        }
        sql += QLatin1Char(')');
    }
    return sql;
}

qint64 countSteps(sqlite3* db, const std::vector<TransferTable>& tables) {
    qint64 steps = 0;
    for (const TransferTable& table : tables) {
        QString sql = QStringLiteral("select count(*)");
        for (const QString& file : table.files)
            sql += QStringLiteral(", coalesce(sum(length(") + file + QStringLiteral(")),0)");
        Statement count(db, sql + QStringLiteral(" from ") + table.name);
        count.step();
        steps += count.int64(0);
        for (int i = 1; i <= table.files.size(); ++i) steps += (count.int64(i) + 1023) / 1024;
    }
    return steps;
}

class TableUpload {
  public:
    TableUpload(sqlite3* db, ServerConnection& target, const TransferTable& table,
                TransferMeter& meter)
        : db_(db), target_(target), table_(table), meter_(meter) {
        const int width = int(table.values.size() + table.files.size());
        batchRows_ = qMax(1, qMin(kRowsPerInsert, kParamsPerInsert / width));
        fullInsert_ = insertText(table, batchRows_);
    }

    void run() {
        // A stored file's own column would bring the whole file into memory with its row;
        // its kind does not, and the bytes follow through a blob handle.
        QString sql = QStringLiteral("select ") + table_.values.join(QLatin1Char(','));
        for (const QString& file : table_.files)
            sql += QStringLiteral(", typeof(") + file + QLatin1Char(')');
        Statement rows(db_, sql + QStringLiteral(" from ") + table_.name +
                                QStringLiteral(" order by ") + table_.key);
        const int keyColumn = int(table_.values.indexOf(table_.key));
        while (rows.step()) {
            for (int column = 0; column < table_.values.size(); ++column)
                batch_ << fileValue(rows.handle(), column);
            for (int i = 0; i < table_.files.size(); ++i) {
                const int column = int(table_.values.size()) + i;
                if (rows.text(column) == QLatin1String("null"))
                    batch_ << ServerParam::none();
                else
                    batch_ << ServerParam::number(
                        streamFile(table_.files.at(i), rows.int64(keyColumn)));
            }
            if (++batchCount_ == batchRows_) sendBatch();
            meter_.advance(1);
        }
        sendBatch();
    }

  private:
    qint64 streamFile(const QString& column, qint64 id) {
        BlobHandle blob(db_, table_.name, column, id, false);
        BlobChunkWriter writer(target_, table_.name, id, column);
        QByteArray piece(int(kBlobChunkSize), Qt::Uninitialized);
        const int size = blob.size();
        for (int offset = 0; offset < size;) {
            const int length = qMin(int(piece.size()), size - offset);
            blob.read(piece.data(), length, offset);
            writer.write(piece.constData(), length);
            offset += length;
            meter_.advanceBytes(length);
        }
        return writer.finish();
    }

    void sendBatch() {
        if (batchCount_ == 0) return;
        target_.execute(batchCount_ == batchRows_ ? fullInsert_ : insertText(table_, batchCount_),
                        batch_);
        batch_.clear();
        batchCount_ = 0;
    }

    sqlite3* db_;
    ServerConnection& target_;
    const TransferTable& table_;
    TransferMeter& meter_;
    int batchRows_ = 1;
    QString fullInsert_;
    ServerParams batch_;
    int batchCount_ = 0;
};

}  // namespace

void uploadContractFile(sqlite3* source, ServerConnection& target,
                        const TransferProgress& progress) {
    const std::vector<TransferTable> tables = transferTables(source);
    // The file is read in one read transaction, so the copy is of one moment of it.
    Statement(source, QStringLiteral("begin")).step();
    try {
        TransferMeter meter(progress, countSteps(source, tables));
        target.execute(QStringLiteral("begin"));
        createServerSchema(target);
        for (const TransferTable& table : tables) TableUpload(source, target, table, meter).run();
        // The last chance to cancel comes before the commit, never after it.
        meter.finish();
        target.commit();
    } catch (...) {
        try {
            if (target.inTransaction()) target.rollback();
        } catch (const AppError&) {
        }
        try {
            Statement(source, QStringLiteral("rollback")).step();
        } catch (const AppError&) {
        }
        throw;
    }
    Statement(source, QStringLiteral("commit")).step();
}
