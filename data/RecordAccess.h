#pragma once

#include <QString>

class ContractQuery;

// Rows of one contract in a dependent table ("select count(*) as a from T where conid=").
int CountRows(ContractQuery& query, const QString& table, qint64 contractId);
// All rows of a table that belongs to the whole file.
int CountAllRows(ContractQuery& query, const QString& table);

// The next key of a table: one more than the largest, 1 for an empty table. A deleted
// row's key comes back only when it was the largest.
qint64 NextId(ContractQuery& query, const QString& table, const QString& idColumn);
