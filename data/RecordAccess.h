#pragma once

#include <QString>
#include <functional>

class ContractQuery;

// Rows of one contract in a dependent table ("select count(*) as a from T where conid=").
int CountRows(ContractQuery& query, const QString& table, qint64 contractId);
// All rows of a table that belongs to the whole file.
int CountAllRows(ContractQuery& query, const QString& table);

// The next key of a table: one more than the largest, 1 for an empty table. A deleted
// row's key comes back only when it was the largest.
qint64 NextId(ContractQuery& query, const QString& table, const QString& idColumn);

// Inserts a row under the next key of its table: the key is taken and the row written in
// one transaction, which on a server holds the write lock, so two clerks adding at the
// same moment never get the same key. `insert` gives the statement for the key; returns
// the key.
qint64 InsertWithNextId(ContractQuery& query, const QString& table, const QString& idColumn,
                        const std::function<QString(qint64 id)>& insert);
