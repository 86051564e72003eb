#include "LegacyConversion.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "BlobHandle.h"
#include "ContractFileProbe.h"
#include "ContractQuery.h"
#include "ContractSchema.h"
#include "JetDatabase.h"
#include "SqlLiteral.h"
#include "Statement.h"
#include "TemplateCopy.h"
#include "Transaction.h"

namespace {

// Long binaries go into the new file a megabyte at a time.
constexpr qsizetype kBlobPiece = 1 << 20;

// The dates a Jet file can hold: 100-01-01 to 9999-12-31, in days from 1899-12-30.
constexpr double kFirstJetDay = -657434;
constexpr double kLastJetDay = 2958465;

// The file being made; removed unless the conversion got to the end.
class PendingFile {
  public:
    explicit PendingFile(QString path) : path_(std::move(path)) {}
    ~PendingFile() {
        if (!kept_) QFile::remove(path_);
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    const QString& path() const { return path_; }
    void keep() { kept_ = true; }

  private:
    QString path_;
    bool kept_ = false;
};

enum class Kind { Integer, Real, Text, Blob };

// One column of a new table and where its value comes from in the old one.
struct ColumnCopy {
    QString name;
    Kind kind;
    int source;  // column in the old table
    JetType sourceType;
};

QList<ColumnCopy> planColumns(ContractQuery& target, const QString& table, const JetTable& source) {
    QList<ColumnCopy> plan;
    target.RunQuery(QStringLiteral("select name, upper(type) as kind from pragma_table_info('") +
                    table + QStringLiteral("')"));
    for (; !target.eof(); target.next()) {
        const QString name = target.text("name");
        const int column = source.columnIndex(name);
        if (column < 0) continue;  // the old file lacks it: it stays without value
        const QString type = target.text("kind");
        const Kind kind = type == QLatin1String("INTEGER") ? Kind::Integer
                          : type == QLatin1String("REAL")  ? Kind::Real
                          : type == QLatin1String("BLOB")  ? Kind::Blob
                                                           : Kind::Text;
        plan.append({name, kind, column, source.columns()[column].type});
    }
    target.close();
    return plan;
}

bool isNumber(JetType type) {
    return type == JetType::Integer || type == JetType::Real || type == JetType::Money;
}

QString dateText(const JetTable& source, const ColumnCopy& column) {
    const double days = source.dateTime(column.source);
    if (!(days >= kFirstJetDay && days < kLastJetDay + 1))
        throw source.damaged(QStringLiteral("列 %1 的日期无法识别").arg(column.name));
    // The whole days count from 1899-12-30, towards zero for dates before it (the
    // fraction is the time of day either way).
    return sql::dateText(QDate(1899, 12, 30).addDays(qint64(std::trunc(days))));
}

// Binds the old row's value for one column, as the new column's kind wants it.
void bindValue(Statement& insert, int parameter, const JetTable& source, const ColumnCopy& column) {
    const int from = column.source;
    if (source.isNull(from)) {
        insert.bindNull(parameter);
        return;
    }
    const JetType type = column.sourceType;
    switch (column.kind) {
        case Kind::Integer:
            if (type == JetType::Integer) return insert.bindInt64(parameter, source.integer(from));
            if (isNumber(type)) return insert.bindInt64(parameter, qint64(source.real(from)));
            break;
        case Kind::Real:
            if (isNumber(type)) return insert.bindDouble(parameter, source.real(from));
            break;
        case Kind::Text:
            if (type == JetType::Text || type == JetType::Memo)
                return insert.bindText(parameter, source.text(from));
            if (type == JetType::DateTime)
                return insert.bindText(parameter, dateText(source, column));
            // A Yes/No column reads as the words the earlier program saw.
            if (type == JetType::Boolean)
                return insert.bindText(parameter, source.boolean(from) ? QStringLiteral("True")
                                                                       : QStringLiteral("False"));
            if (type == JetType::Integer)
                return insert.bindText(parameter, QString::number(source.integer(from)));
            if (isNumber(type))
                return insert.bindText(parameter, sql::formatAmount(source.real(from)));
            break;
        case Kind::Blob:
            if (type == JetType::LongBinary) {
                // A length of 0 is a missing value; the bytes follow once the row is in.
                const qint64 size = source.longValueSize(from);
                return size > 0 ? insert.bindZeroBlob(parameter, size) : insert.bindNull(parameter);
            }
            if (type == JetType::Binary) return insert.bindBlob(parameter, source.bytes(from));
            break;
    }
    insert.bindNull(parameter);
}

class TableCopy {
  public:
    TableCopy(JetDatabase& database, ContractQuery& target, const QString& table,
              ConversionProgress& progress)
        : database_(database), target_(target), table_(table), progress_(progress) {}

    qint64 run() {
        std::unique_ptr<JetTable> source = database_.openTable(table_);
        const QList<ColumnCopy> plan = planColumns(target_, table_, *source);
        // Rows the template holds give way to the old file's own.
        target_.RunCommand(QStringLiteral("delete from ") + table_);
        if (plan.isEmpty()) return 0;

        QStringList names, parameters;
        for (const ColumnCopy& column : plan) {
            names << column.name;
            parameters << QStringLiteral("?");
        }
        Statement insert(target_.database(),
                         QStringLiteral("insert into ") + table_ + QStringLiteral(" (") +
                             names.join(QLatin1Char(',')) + QStringLiteral(") values (") +
                             parameters.join(QLatin1Char(',')) + QLatin1Char(')'));
        qint64 copied = 0;
        while (source->next()) {
            try {
                for (int i = 0; i < plan.size(); ++i) bindValue(insert, i + 1, *source, plan[i]);
                insert.step();
                insert.reset();
                const qint64 rowid = insert.lastInsertRowid();
                for (const ColumnCopy& column : plan)
                    if (column.kind == Kind::Blob && column.sourceType == JetType::LongBinary)
                        copyLongBinary(*source, column, rowid);
            } catch (const JetDamage&) {
                throw;
            } catch (const ConversionCancelled&) {
                throw;
            } catch (const AppError& error) {
                // The new file refused the row: say which one.
                throw AppError(error.headline(),
                               source->rowLabel() + QStringLiteral("：") + error.detail());
            }
            ++copied;
            step(*source);
        }
        return copied;
    }

  private:
    void copyLongBinary(const JetTable& source, const ColumnCopy& column, qint64 rowid) {
        if (source.isNull(column.source) || source.longValueSize(column.source) == 0) return;
        BlobHandle blob(target_.database(), table_, column.name, rowid, true);
        // The old file hands its long values over a page at a time; they go on a
        // megabyte at a time, through one buffer kept for the whole table.
        piece_.resize(kBlobPiece);
        int offset = 0;
        qsizetype filled = 0;
        const auto write = [&](const char* data, qsizetype size) {
            blob.write(data, int(size), offset);
            offset += int(size);
        };
        source.readLongValue(column.source, [&](const char* data, qsizetype size) {
            if (filled + size > kBlobPiece) {
                write(piece_.data(), filled);
                filled = 0;
                step(source);
            }
            if (size > kBlobPiece) return write(data, size);
            std::memcpy(piece_.data() + filled, data, size_t(size));
            filled += size;
        });
        if (filled > 0) write(piece_.data(), filled);
    }

    void step(const JetTable& source) {
        if (progress_.cancelRequested()) throw ConversionCancelled();
        progress_.report({table_, source.rowNumber(), source.rowCount(), database_.pagesRead(),
                          database_.pageCount()});
    }

    JetDatabase& database_;
    ContractQuery& target_;
    QString table_;
    ConversionProgress& progress_;
    std::vector<char> piece_;
};

void checkPaths(const QString& oldPath, const QString& newPath) {
    switch (probeContractFile(oldPath)) {
        case ContractFileKind::LegacyJet:
            break;
        case ContractFileKind::Database:
            throw AppError(QStringLiteral("这已经是新版的合同文件，不需要转换"), oldPath);
        case ContractFileKind::Missing:
            throw AppError(QStringLiteral("旧版合同文件不存在"), oldPath);
        case ContractFileKind::Unreadable:
            throw AppError(QStringLiteral("无法读取旧版合同文件"), oldPath);
        default:
            throw AppError(QStringLiteral("所选文件不是旧版合同文件"), oldPath);
    }
    const QFileInfo target(newPath);
    if (newPath.trimmed().isEmpty() || target.isDir())
        throw AppError(QStringLiteral("新合同文件的路径不对"), newPath);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(oldPath).canonicalFilePath())
        throw AppError(QStringLiteral("新合同文件不能与旧版合同文件同名"), newPath);
}

}  // namespace

ConversionCancelled::ConversionCancelled() : AppError(QStringLiteral("转换已取消")) {}

void convertLegacyContractFile(const QString& oldPath, const QString& newPath,
                               const QString& templatePath, ConversionProgress& progress) {
    checkPaths(oldPath, newPath);
    JetDatabase database(oldPath);
    if (!database.hasTable(QStringLiteral("htmain")))
        throw AppError(QStringLiteral("所选文件不是旧版合同文件（其中没有合同数据表）"), oldPath);

    const QString fresh = copyTemplateBeside(templatePath, newPath);
    if (fresh.isEmpty()) throw AppError(QStringLiteral("无法创建新的合同文件"), newPath);
    PendingFile pending(fresh);
    {
        ContractQuery target;
        target.setContractFile(pending.path());
        // The file is new and is thrown away if anything fails, so the undo journal may
        // stay in memory: no journal file, and no flush to disk until the one commit.
        target.RunCommand(QStringLiteral("pragma journal_mode=memory"));
        Transaction transaction(target);
        for (const QString& table : contractTables()) {
            qint64 rows = 0;
            if (database.hasTable(table)) rows = TableCopy(database, target, table, progress).run();
            progress.tableCopied(table, rows);
        }
        transaction.commit();
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(pending.path()).toStdString(),
                            QFile::encodeName(newPath).toStdString(), error);
    if (error)
        throw AppError(
            QStringLiteral("无法保存新的合同文件"),
            newPath + QStringLiteral("：") + QString::fromLocal8Bit(error.message().c_str()));
    pending.keep();
}
