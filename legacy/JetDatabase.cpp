#include "JetDatabase.h"

#include <mdbtools.h>

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>

#include "JetText.h"

namespace {

// Row offsets carry two flags in their top bits; the rest is the offset in the page.
constexpr int kOffsetMask = 0x1fff;
constexpr int kDeletedRow = 0x4000;

// A long value's header: its length in the low 30 bits, then where the bytes are.
constexpr int kLongValueHeader = 12;
constexpr quint32 kInlineValue = 0x80000000u;
constexpr quint32 kSinglePageValue = 0x40000000u;
constexpr quint32 kLengthMask = 0x3fffffffu;

// libmdb binds memo and OLE values through buffers of this size; the catalog is read
// through them too, so the size must be set before the catalog is read.
constexpr size_t kBindSize = 16 * 1024;

JetType typeOf(int mdbType) {
    switch (mdbType) {
        case MDB_BOOL:
            return JetType::Boolean;
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            return JetType::Integer;
        case MDB_FLOAT:
        case MDB_DOUBLE:
            return JetType::Real;
        case MDB_MONEY:
            return JetType::Money;
        case MDB_DATETIME:
            return JetType::DateTime;
        case MDB_TEXT:
            return JetType::Text;
        case MDB_MEMO:
            return JetType::Memo;
        case MDB_OLE:
            return JetType::LongBinary;
        case MDB_BINARY:
            return JetType::Binary;
        default:
            return JetType::Other;
    }
}

template <typename T>
T little(const unsigned char* p) {
    return qFromLittleEndian<T>(p);
}

double littleDouble(const unsigned char* p) {
    const quint64 bits = little<quint64>(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The pages of long values, read straight from the file a run at a time: a long value's
// pages mostly follow one another, and libmdb would read them (and look up the file's
// size) one at a time.
class LongValuePages {
  public:
    bool open(const QString& path, int pageSize) {
        file_.setFileName(path);
        pageSize_ = pageSize;
        window_.resize(kPagesAtOnce * pageSize);
        return file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    // The page, or nullptr when the file cannot give it whole.
    const unsigned char* page(qint64 number) {
        if (number < first_ || number >= first_ + count_) {
            count_ = 0;
            if (!file_.seek(number * pageSize_)) return nullptr;
            const qint64 got = file_.read(window_.data(), window_.size());
            if (got < pageSize_) return nullptr;
            first_ = number;
            count_ = int(got / pageSize_);
        }
        return reinterpret_cast<const unsigned char*>(window_.constData()) +
               (number - first_) * pageSize_;
    }

  private:
    static constexpr int kPagesAtOnce = 16;
    QFile file_;
    int pageSize_ = 0;
    QByteArray window_;
    qint64 first_ = 0;
    int count_ = 0;
};

}  // namespace

JetDamage::JetDamage(const QString& detail)
    : AppError(QStringLiteral("旧版合同文件已损坏"), detail) {}

// ---------------------------------------------------------------- the file

struct JetDatabase::Private {
    MdbHandle* mdb = nullptr;
    LongValuePages longValuePages;
    qint64 pageCount = 0;
    qint64 pagesRead = 0;

    MdbCatalogEntry* entry(const QString& name) const {
        const QByteArray wanted = name.toUtf8();
        for (guint i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry) &&
                g_ascii_strcasecmp(entry->object_name, wanted.constData()) == 0)
                return entry;
        }
        return nullptr;
    }
};

JetDatabase::JetDatabase(const QString& path) : d(std::make_unique<Private>()) {
    const QFileInfo info(path);
    if (!info.isFile()) throw AppError(QStringLiteral("旧版合同文件不存在"), path);
    // Read-only: libmdb opens the file for reading alone and the file is never changed.
    d->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!d->mdb) throw AppError(QStringLiteral("无法读取旧版合同文件"), path);
    if (d->mdb->f->jet_version != MDB_VER_JET4) {
        mdb_close(d->mdb);
        throw AppError(QStringLiteral("只能转换 Jet 4.0（Access 2000）格式的旧版合同文件"), path);
    }
    d->pageCount = info.size() / d->mdb->fmt->pg_size;
    if (!d->longValuePages.open(path, int(d->mdb->fmt->pg_size))) {
        mdb_close(d->mdb);
        throw AppError(QStringLiteral("无法读取旧版合同文件"), path);
    }
    mdb_set_bind_size(d->mdb, kBindSize);
    if (!mdb_read_catalog(d->mdb, MDB_TABLE)) {
        mdb_close(d->mdb);
        throw JetDamage(QStringLiteral("无法读取数据表目录：") + path);
    }
}

JetDatabase::~JetDatabase() { mdb_close(d->mdb); }

bool JetDatabase::hasTable(const QString& name) const { return d->entry(name) != nullptr; }

std::unique_ptr<JetTable> JetDatabase::openTable(const QString& name) {
    MdbCatalogEntry* entry = d->entry(name);
    if (!entry) throw AppError(QStringLiteral("旧版合同文件中没有数据表"), name);
    MdbTableDef* table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table)) {
        if (table) mdb_free_tabledef(table);
        throw JetDamage(QStringLiteral("无法读取表 %1 的定义").arg(name));
    }
    return std::unique_ptr<JetTable>(new JetTable(*this, table));
}

qint64 JetDatabase::pageCount() const { return d->pageCount; }

qint64 JetDatabase::pagesRead() const { return d->pagesRead; }

// ---------------------------------------------------------------- a table

JetTable::JetTable(JetDatabase& database, S_MdbTableDef* table)
    : database_(database), table_(table), name_(QString::fromUtf8(table->name)) {
    for (guint i = 0; i < table->num_cols; ++i) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        columns_.append({QString::fromUtf8(column->name), typeOf(column->col_type)});
        mdbTypes_.push_back(column->col_type);
    }
    fields_.resize(table->num_cols);
    mdb_rewind_table(table_);
}

JetTable::~JetTable() { mdb_free_tabledef(table_); }

int JetTable::columnIndex(const QString& column) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(column, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

qint64 JetTable::rowCount() const { return table_->num_rows; }

const unsigned char* JetTable::page() const { return table_->entry->mdb->pg_buf; }

bool JetTable::next() {
    MdbHandle* mdb = table_->entry->mdb;
    const int pageSize = int(mdb->fmt->pg_size);
    for (;;) {
        if (!onPage_) {
            // The table's data pages, as its usage map lists them.
            if (!mdb_read_next_dpg(table_)) break;
            ++database_.d->pagesRead;
            onPage_ = true;
            nextRowOnPage_ = 0;
        }
        const int rows = little<quint16>(mdb->pg_buf + mdb->fmt->row_count_offset);
        if (nextRowOnPage_ >= rows) {
            onPage_ = false;
            continue;
        }
        const int row = nextRowOnPage_++;
        rowRead_ = false;
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, row, &start, &size) != 0) {
            ++rowNumber_;
            throw damaged(QStringLiteral("记录的位置不在页内"));
        }
        if (size == 0 || (start & kDeletedRow)) continue;
        start &= kOffsetMask;
        ++rowNumber_;

        std::vector<MdbField> cracked(table_->num_cols);
        if (mdb_crack_row(table_, start, size, cracked.data()) < 0)
            throw damaged(QStringLiteral("记录的结构无法读取"));
        const int end = start + int(size);
        for (guint i = 0; i < table_->num_cols; ++i) {
            Field& f = fields_[cracked[i].colnum];
            f.null = cracked[i].is_null;
            f.start = cracked[i].start;
            f.size = cracked[i].siz;
            if (columns_[cracked[i].colnum].type == JetType::Boolean) continue;
            if (!f.null &&
                (f.size < 0 || f.start < start || f.start + f.size > end || end > pageSize))
                throw damaged(
                    QStringLiteral("列 %1 的值超出了记录").arg(columns_[cracked[i].colnum].name));
        }
        rowRead_ = true;
        return true;
    }
    if (rowNumber_ < rowCount()) {
        ++rowNumber_;
        throw JetDamage(QStringLiteral("表 %1 应有 %2 行，只读到 %3 行，第 %4 行起无法读取")
                            .arg(name_)
                            .arg(rowCount())
                            .arg(rowNumber_ - 1)
                            .arg(rowNumber_));
    }
    return false;
}

const JetTable::Field& JetTable::field(int column) const { return fields_.at(size_t(column)); }

bool JetTable::isNull(int column) const {
    if (columns_[column].type == JetType::Boolean) return false;
    return field(column).null;
}

// The null bit of a Yes/No column is its value.
bool JetTable::boolean(int column) const { return !field(column).null; }

qint64 JetTable::integer(int column) const {
    const Field& f = field(column);
    if (f.null) return 0;
    const unsigned char* p = page() + f.start;
    switch (mdbTypes_[column]) {
        case MDB_BYTE:
            return p[0];
        case MDB_INT:
            return little<qint16>(p);
        case MDB_LONGINT:
            return little<qint32>(p);
        default:
            return qint64(real(column));
    }
}

double JetTable::real(int column) const {
    const Field& f = field(column);
    if (f.null) return 0;
    const unsigned char* p = page() + f.start;
    switch (mdbTypes_[column]) {
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            return double(integer(column));
        case MDB_FLOAT: {
            const quint32 bits = little<quint32>(p);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case MDB_DOUBLE:
        case MDB_DATETIME:
            return littleDouble(p);
        // Currency: a whole number of ten-thousandths.
        case MDB_MONEY:
            return double(little<qint64>(p)) / 10000.0;
        default:
            return 0;
    }
}

double JetTable::dateTime(int column) const { return real(column); }

QString JetTable::text(int column) const {
    const Field& f = field(column);
    if (f.null) return {};
    if (columns_[column].type == JetType::Memo) {
        const QByteArray bytes = readLongValueWhole(column);
        return decodeJetText(bytes.constData(), bytes.size());
    }
    return decodeJetText(reinterpret_cast<const char*>(page() + f.start), f.size);
}

QByteArray JetTable::bytes(int column) const {
    const Field& f = field(column);
    if (f.null) return {};
    return QByteArray(reinterpret_cast<const char*>(page() + f.start), f.size);
}

qint64 JetTable::longValueSize(int column) const {
    const Field& f = field(column);
    if (f.null || f.size == 0) return 0;
    if (f.size < kLongValueHeader)
        throw damaged(QStringLiteral("列 %1 的长值头不完整").arg(columns_[column].name));
    return little<quint32>(page() + f.start) & kLengthMask;
}

QByteArray JetTable::readLongValueWhole(int column) const {
    QByteArray whole;
    // Room for what the header promises, within reason: a damaged header may promise a gigabyte.
    whole.reserve(qMin<qint64>(longValueSize(column), 1 << 20));
    readLongValue(column, [&whole](const char* data, qsizetype size) { whole.append(data, size); });
    return whole;
}

void JetTable::readLongValue(int column, const LongValueSink& sink) const {
    const qint64 length = longValueSize(column);
    if (length == 0) return;
    const Field& f = field(column);
    const QString& name = columns_[column].name;
    // The header is copied first: reading the value's pages passes through the page buffer.
    unsigned char header[kLongValueHeader];
    std::memcpy(header, page() + f.start, kLongValueHeader);
    const quint32 kind = little<quint32>(header) & ~kLengthMask;
    const quint32 firstRow = little<quint32>(header + 4);

    if (kind == kInlineValue) {
        if (f.size - kLongValueHeader != length)
            throw damaged(QStringLiteral("列 %1 的长值比记录的长度短").arg(name));
        sink(reinterpret_cast<const char*>(page() + f.start + kLongValueHeader), length);
        return;
    }
    if (kind == kSinglePageValue) {
        const char* data = nullptr;
        int size = 0;
        readLongValueRow(firstRow, data, size);
        if (size != length)
            throw damaged(QStringLiteral("列 %1 的长值有 %2 字节，与记录的长度 %3 字节不符")
                              .arg(name)
                              .arg(size)
                              .arg(length));
        sink(data, size);
        return;
    }
    if (kind != 0) throw damaged(QStringLiteral("列 %1 的长值头无法识别").arg(name));

    // Pages chained one after another: each piece begins with where the next one is.
    qint64 copied = 0;
    for (quint32 pageRow = firstRow; pageRow != 0;) {
        const char* data = nullptr;
        int size = 0;
        readLongValueRow(pageRow, data, size);
        if (size < 4) throw damaged(QStringLiteral("列 %1 的长值页链断了").arg(name));
        pageRow = little<quint32>(reinterpret_cast<const unsigned char*>(data));
        const int piece = size - 4;
        if (copied + piece > length)
            throw damaged(
                QStringLiteral("列 %1 的长值比记录的长度 %2 字节长").arg(name).arg(length));
        sink(data + 4, piece);
        copied += piece;
    }
    if (copied != length)
        throw damaged(QStringLiteral("列 %1 的长值只有 %2 字节，比记录的长度 %3 字节短")
                          .arg(name)
                          .arg(copied)
                          .arg(length));
}

void JetTable::readLongValueRow(quint32 pageRow, const char*& data, int& size) const {
    MdbHandle* mdb = table_->entry->mdb;
    const qint64 pageNumber = pageRow >> 8;
    const int row = int(pageRow & 0xff);
    if (pageNumber <= 0 || pageNumber >= database_.pageCount())
        throw damaged(
            QStringLiteral("长值所在的第 %1 页不在文件中（文件可能不完整）").arg(pageNumber));
    const unsigned char* pageBytes = database_.d->longValuePages.page(pageNumber);
    if (!pageBytes) throw damaged(QStringLiteral("无法读取长值所在的第 %1 页").arg(pageNumber));
    ++database_.d->pagesRead;
    const int pageSize = int(mdb->fmt->pg_size);
    const int offsets = mdb->fmt->row_count_offset;
    // Long values live on data pages marked "LVAL".
    if (pageBytes[0] != MDB_PAGE_DATA || std::memcmp(pageBytes + 4, "LVAL", 4) != 0)
        throw damaged(QStringLiteral("第 %1 页不是长值页").arg(pageNumber));
    if (row >= little<quint16>(pageBytes + offsets))
        throw damaged(QStringLiteral("长值在第 %1 页上找不到").arg(pageNumber));
    // A row ends where the one before it in the offset table begins (the first, at the end
    // of the page).
    const int start = little<quint16>(pageBytes + offsets + 2 + row * 2) & kOffsetMask;
    const int end =
        row == 0 ? pageSize : little<quint16>(pageBytes + offsets + row * 2) & kOffsetMask;
    if (start < offsets || start > end || end > pageSize)
        throw damaged(QStringLiteral("长值在第 %1 页上的位置不对").arg(pageNumber));
    data = reinterpret_cast<const char*>(pageBytes + start);
    size = end - start;
}

QString JetTable::rowLabel() const {
    QString label = QStringLiteral("表 %1 第 %2 行").arg(name_).arg(rowNumber_);
    // The first column of every table is its key; it names the row better than its place.
    if (rowRead_ && !columns_.isEmpty() && columns_[0].type == JetType::Integer && !isNull(0))
        label += QStringLiteral("（%1=%2）").arg(columns_[0].name).arg(integer(0));
    return label;
}

JetDamage JetTable::damaged(const QString& what) const {
    return JetDamage(rowLabel() + QStringLiteral("：") + what);
}
