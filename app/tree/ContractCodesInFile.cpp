#include "ContractCodesInFile.h"

#include <QStringBuilder>
#include <algorithm>

#include "ContractCode.h"
#include "ContractQuery.h"
#include "SqlLiteral.h"

namespace {

// Codes read per statement while looking for the largest top-level number from the end.
constexpr int kPage = 64;

}  // namespace

qint64 LargestContractIdInFile(ContractQuery& query) {
    query.RunQuery(QStringLiteral("select max(conid) as largest from htmain"));
    const qint64 largest = query.eof() ? 0 : query.integer("largest");
    query.close();
    return largest;
}

int LargestTopLevelNumberInFile(ContractQuery& query) {
    // In text order the codes that begin with a four-digit segment rise with that segment,
    // so the first of them from the end holds the largest. ':' follows '9'; codes that
    // begin otherwise but sort among them ("9a", "12") are stepped over a page at a time.
    QString below = QStringLiteral(":");
    for (;;) {
        query.RunQuery(QStringLiteral("select concode from htmain where concode < ") %
                       sql::textLiteral(below) %
                       QStringLiteral(" order by concode desc limit ") % QString::number(kPage));
        int rows = 0;
        for (; !query.eof(); query.next(), ++rows) {
            const QString code = query.text("concode");
            if (const std::optional<int> n = SegmentValue(QStringView(code).left(
                    contractcode::kSegmentLength))) {
                query.close();
                return std::max(1, *n);
            }
            below = code;
        }
        query.close();
        if (rows < kPage) return 1;
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
    return FirstFreeChildCode(prefix, [&query](const QString& from) -> std::optional<QString> {
        query.RunQuery(QStringLiteral("select concode from htmain where concode >= ") %
                       sql::textLiteral(from) % QStringLiteral(" order by concode limit 1"));
        std::optional<QString> code;
        if (!query.eof()) code = query.text("concode");
        query.close();
        return code;
    });
}
