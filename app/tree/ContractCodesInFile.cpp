#include "ContractCodesInFile.h"

#include <QStringBuilder>
#include <algorithm>

#include "ContractCode.h"
#include "ContractQuery.h"
#include "SqlLiteral.h"

qint64 LargestContractIdInFile(ContractQuery& query) {
    query.RunQuery(QStringLiteral("select max(conid) as largest from htmain"));
    const qint64 largest = query.eof() ? 0 : query.integer("largest");
    query.close();
    return largest;
}

int LargestTopLevelNumberInFile(ContractQuery& query) {
    // In text order the codes that begin with a four-digit segment rise with that segment,
    // so the first of them from the end holds the largest. ':' follows '9'; codes that
    // begin otherwise but sort among them ("9a", "12") are stepped over one at a time.
    QString below = QStringLiteral(":");
    for (;;) {
        query.RunQuery(QStringLiteral("select max(concode) as code from htmain where concode < ") %
                       sql::textLiteral(below));
        const bool none = query.eof() || query.isNull("code");
        const QString code = none ? QString() : query.text("code");
        query.close();
        if (none) return 1;
        if (const std::optional<int> n =
                SegmentValue(QStringView(code).left(contractcode::kSegmentLength)))
            return std::max(1, *n);
        below = code;
    }
}

NewContractRow InsertContractRow(ContractQuery& query, const QString& code, const QDate& today) {
    const NewContractRow row{LargestContractIdInFile(query) + 1, code};
    const QString date = sql::dateLiteral(today);
    QStringList dates;
    for (int i = 0; i < 7; ++i) dates << date;
    query.RunCommand(
        QStringLiteral("insert into htmain "
                       "(conid,concode,conname,kgrq,jgrq,cprq,qdrq,yfkrq,jsrq,gdrq) values (") %
        QString::number(row.id) % QLatin1Char(',') % sql::textLiteral(code) %
        QStringLiteral(",'新合同',") % dates.join(QLatin1Char(',')) % QLatin1Char(')'));
    return row;
}

std::optional<QString> FirstFreeChildCodeInFile(ContractQuery& query, const QString& prefix) {
    // One statement answers a whole batch: a column per candidate, each the first code
    // at or after it. Asked as min(), which both engines answer from the code index; an
    // "order by … limit 1" the server would answer by sorting the rest of the table.
    return FirstFreeChildCode(prefix, [&query](const QStringList& from) {
        QStringList columns;
        for (int i = 0; i < from.size(); ++i)
            columns << QStringLiteral("(select min(concode) from htmain where concode >= ") %
                           sql::textLiteral(from[i]) % QStringLiteral(") as c") %
                           QString::number(i);
        query.RunQuery(QStringLiteral("select ") % columns.join(QLatin1Char(',')));
        std::vector<std::optional<QString>> next;
        for (int i = 0; i < from.size(); ++i) {
            const QByteArray column = "c" + QByteArray::number(i);
            next.push_back(query.isNull(column.constData())
                               ? std::nullopt
                               : std::optional<QString>(query.text(column.constData())));
        }
        query.close();
        return next;
    });
}
