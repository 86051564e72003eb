#include "LedgerStatements.h"

#include "LedgerSpec.h"
#include "SqlLiteral.h"

namespace ledger_sql {

using sql::textLiteral;

QString listRecords(const LedgerSpec& ledger, qint64 contractId) {
    return QStringLiteral("select * from ") + ledger.table + QStringLiteral(" where conid=") +
           QString::number(contractId);
}

QString sumAmounts(const LedgerSpec& ledger, qint64 contractId) {
    const QString& first = ledger.firstAmountColumn;
    return QStringLiteral("select sum(") + first + QStringLiteral(") as ") + first +
           QStringLiteral("sum,sum(fpje) as fpjesum from ") + ledger.table +
           QStringLiteral(" where conid=") + QString::number(contractId);
}

QString selectRecord(const LedgerSpec& ledger, qint64 id) {
    return QStringLiteral("select * from ") + ledger.table + QStringLiteral(" where ") +
           ledger.keyColumn + QLatin1Char('=') + QString::number(id);
}

QString insertRecord(const LedgerSpec& ledger, qint64 id, qint64 contractId,
                     const LedgerRecordText& record) {
    const QLatin1Char comma(',');
    return QStringLiteral("insert into ") + ledger.table + QStringLiteral(" (") + ledger.keyColumn +
           QStringLiteral(",conid,") + ledger.nameColumn + comma + ledger.firstAmountColumn +
           QStringLiteral(",fpje,fkrq,sbdh,fph,other) values (") + QString::number(id) + comma +
           QString::number(contractId) + comma + textLiteral(record.name) + comma +
           record.firstAmount + comma + record.secondAmount + comma + textLiteral(record.date) +
           comma + textLiteral(record.number) + comma + textLiteral(record.invoice) + comma +
           textLiteral(record.remarks) + QLatin1Char(')');
}

QString updateRecord(const LedgerSpec& ledger, qint64 id, const LedgerRecordText& record) {
    return QStringLiteral("update ") + ledger.table + QStringLiteral(" set ") + ledger.nameColumn +
           QLatin1Char('=') + textLiteral(record.name) + QLatin1Char(',') +
           ledger.firstAmountColumn + QLatin1Char('=') + record.firstAmount +
           QStringLiteral(",fpje=") + record.secondAmount + QStringLiteral(",fkrq=") +
           textLiteral(record.date) + QStringLiteral(",sbdh=") + textLiteral(record.number) +
           QStringLiteral(",fph=") + textLiteral(record.invoice) + QStringLiteral(",other=") +
           textLiteral(record.remarks) + QStringLiteral(" where ") + ledger.keyColumn +
           QLatin1Char('=') + QString::number(id);
}

QString deleteRecord(const LedgerSpec& ledger, qint64 id) {
    return QStringLiteral("delete from ") + ledger.table + QStringLiteral(" where ") +
           ledger.keyColumn + QLatin1Char('=') + QString::number(id);
}

}  // namespace ledger_sql
