#include "SqlLiteral.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

#include "AppError.h"

namespace sql {

QString textLiteral(const QString& text) {
    if (!isStorableText(text))
        throw AppError(QStringLiteral("文字中含有空字符（NUL），无法保存，请删除后再试"));
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

bool isStorableText(const QString& text) { return !text.contains(QChar(0)); }

QString unstorableTextMessage(const QString& fieldCaption) {
    return QStringLiteral("“") + fieldCaption +
           QStringLiteral("”中含有空字符（NUL），无法保存，请删除后再试");
}

QString dateText(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QString dateLiteral(const QDate& date) { return QLatin1Char('\'') + dateText(date) + QLatin1Char('\''); }

QDate parseStoredDate(const QString& text) {
    // Dates are stored as yyyy-MM-dd; a time part written by another tool is ignored.
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? date : QDate(1899, 12, 30);
}

QString flagLiteral(bool set) { return set ? QStringLiteral("'true'") : QStringLiteral("'false'"); }

bool flagIsSet(const QString& stored) { return stored == QLatin1String("true"); }

bool isAmountText(const QString& typed) {
    static const QRegularExpression amount(QStringLiteral(
        R"(^[ \t]*[+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][+-]?[0-9]+)?[ \t]*$)"));
    if (!amount.match(typed).hasMatch()) return false;
    bool ok = false;
    const double value = QLocale::c().toDouble(typed.trimmed(), &ok);
    return ok && std::isfinite(value);
}

QString formatAmount(double value) {
    if (value == 0) return QStringLiteral("0");  // also folds -0 into 0
    return QString::number(value, 'g', 15);
}

}  // namespace sql
