#include "ServerRows.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <limits>

#include "AppError.h"

namespace {

// Type identifiers of the server's built-in number types (pg_type).
constexpr Oid kFloat4 = 700;
constexpr Oid kFloat8 = 701;
constexpr Oid kNumeric = 1700;

// A double as the file's engine writes it as text: 15 significant digits, and a ".0" on
// whole numbers.
QString fileEngineNumberText(double value) {
    char* text = sqlite3_mprintf("%!.15g", value);
    const QString result = QString::fromLatin1(text);
    sqlite3_free(text);
    return result;
}

}  // namespace

double serverDouble(const QByteArray& text) {
    if (text == "Infinity") return qInf();
    if (text == "-Infinity") return -qInf();
    if (text == "NaN") return qQNaN();
    return text.toDouble();
}

ServerRows::ServerRows(ServerConnection& connection, const QString& sql) : connection_(connection) {
    connection_.startRows(sql);
}

ServerRows::~ServerRows() { connection_.discardRows(); }

bool ServerRows::step() {
    row_ = connection_.nextRow();
    return bool(row_);
}

int ServerRows::columnIndex(const char* name) const {
    if (columns_.isEmpty() && row_) {
        const int count = PQnfields(row_.get());
        for (int i = 0; i < count; ++i) {
            const QByteArray key = QByteArray(PQfname(row_.get(), i)).toLower();
            if (!columns_.contains(key)) columns_.insert(key, i);
        }
    }
    const auto it = columns_.constFind(QByteArray(name).toLower());
    if (it == columns_.constEnd())
        throw AppError(QStringLiteral("合同数据库中缺少数据列"), QString::fromUtf8(name));
    return it.value();
}

bool ServerRows::isNull(int column) const { return PQgetisnull(row_.get(), 0, column) != 0; }

QByteArray ServerRows::bytes(int column) const {
    return QByteArray::fromRawData(PQgetvalue(row_.get(), 0, column), PQgetlength(row_.get(), 0, column));
}

qint64 ServerRows::int64(int column) const {
    const QByteArray value = bytes(column);
    bool whole = false;
    const qint64 number = value.toLongLong(&whole);
    if (whole) return number;
    // A double (or a text holding one) becomes a whole number by cutting the fraction, and
    // one beyond the range of whole numbers stops at its end, as the file's engine does.
    const double real = serverDouble(value);
    if (real <= double(std::numeric_limits<qint64>::min())) return std::numeric_limits<qint64>::min();
    if (real >= double(std::numeric_limits<qint64>::max())) return std::numeric_limits<qint64>::max();
    return qint64(real);
}

double ServerRows::real(int column) const { return serverDouble(bytes(column)); }

QString ServerRows::text(int column) const {
    if (isNull(column)) return {};
    const Oid type = PQftype(row_.get(), column);
    const QByteArray value = bytes(column);
    if (type == kFloat8 || type == kFloat4 || (type == kNumeric && value.contains('.')))
        return fileEngineNumberText(serverDouble(value));
    return QString::fromUtf8(value);
}
