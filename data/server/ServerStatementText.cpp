#include "ServerStatementText.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace {

using Re = QRegularExpression;
constexpr auto kNoCase = QRegularExpression::CaseInsensitiveOption;

// The statement with the inside of every quoted text blanked out, same length, so that
// words inside a value are never taken for part of the statement.
QString withoutQuotedTexts(const QString& sql) {
    QString masked = sql;
    bool quoted = false;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        if (masked.at(i) == QLatin1Char('\'')) quoted = !quoted;
        else if (quoted) masked[i] = QLatin1Char(' ');
    }
    return masked;
}

// The start of the last "order by" outside brackets, or -1.
qsizetype finalOrderBy(const QString& masked) {
    static const Re orderBy(QStringLiteral("\\border\\s+by\\b"), kNoCase);
    qsizetype found = -1;
    int depth = 0;
    for (qsizetype i = 0; i < masked.size(); ++i) {
        const QChar c = masked.at(i);
        if (c == QLatin1Char('(')) ++depth;
        if (c == QLatin1Char(')')) --depth;
        if (depth == 0 && (c == QLatin1Char('o') || c == QLatin1Char('O')) &&
            orderBy.match(masked, i, Re::NormalMatch, Re::AnchorAtOffsetMatchOption).hasMatch())
            found = i;
    }
    return found;
}

QString trimmedEnd(QString text) {
    while (!text.isEmpty() && (text.back() == QLatin1Char(';') || text.back().isSpace())) text.chop(1);
    return text;
}

QString withEmptyValuesFirst(const QString& sql, qsizetype start) {
    static const Re head(QStringLiteral("^order\\s+by\\s+"), kNoCase);
    QString terms = trimmedEnd(sql.mid(start));
    terms.remove(head);
    // Only a plain list of columns is rewritten; anything else the program never sends.
    static const Re plain(QStringLiteral("^[\\w.\\s,\"]*$"), Re::UseUnicodePropertiesOption);
    static const Re other(QStringLiteral("\\b(nulls|limit|offset|for|collate)\\b"), kNoCase);
    if (!plain.match(terms).hasMatch() || other.match(terms).hasMatch()) return sql;

    static const Re descending(QStringLiteral("\\bdesc$"), kNoCase);
    QStringList rewritten;
    for (QString term : terms.split(QLatin1Char(','))) {
        term = term.trimmed();
        if (term.isEmpty()) return sql;
        rewritten << term + (descending.match(term).hasMatch() ? QStringLiteral(" nulls last")
                                                               : QStringLiteral(" nulls first"));
    }
    return sql.left(start) + QStringLiteral("order by ") + rewritten.join(QLatin1Char(','));
}

QString keyOf(const QString& table) {
    static const QHash<QString, QString> keys = {
        {QStringLiteral("htmain"), QStringLiteral("conid")}, {QStringLiteral("httext"), QStringLiteral("id")},
        {QStringLiteral("htfk"), QStringLiteral("fkid")},    {QStringLiteral("htsp"), QStringLiteral("spid")},
        {QStringLiteral("htyj"), QStringLiteral("htyjid")},  {QStringLiteral("htqtyj"), QStringLiteral("qtyjid")},
        {QStringLiteral("infoset"), QStringLiteral("id")},   {QStringLiteral("ghdwinfo"), QStringLiteral("id")},
    };
    return keys.value(table.toLower());
}

QString inKeyOrder(const QString& sql, const QString& masked) {
    static const Re singleTable(QStringLiteral("^\\s*select\\s+(.+?)\\s+from\\s+(\\w+)(\\s+where\\s.*)?$"),
                                kNoCase | Re::DotMatchesEverythingOption);
    const QString statement = trimmedEnd(masked);
    const auto match = singleTable.match(statement);
    if (!match.hasMatch()) return sql;
    const QString key = keyOf(match.captured(2));
    if (key.isEmpty()) return sql;
    // An aggregate has one row, and the other forms choose their own order.
    static const Re ordered(
        QStringLiteral("\\b(count|sum|max|min|avg|total|group_concat)\\s*\\(|\\b(distinct|group|having|"
                       "union|intersect|except|join|limit|offset|for)\\b"),
        kNoCase);
    if (ordered.match(statement).hasMatch()) return sql;
    return sql.left(statement.size()) + QStringLiteral(" order by ") + key;
}

}  // namespace

QString serverStatementText(const QString& sql) {
    const QString masked = withoutQuotedTexts(sql);
    const qsizetype start = finalOrderBy(masked);
    if (start >= 0) return withEmptyValuesFirst(sql, start);
    return inKeyOrder(sql, masked);
}
