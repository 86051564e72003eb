#pragma once

#include <QDate>
#include <QString>
#include <optional>

class ContractQuery;

// What the contract file says about the ids and codes in use, asked of the engine through
// the code index and the key, so that a command costs the same in a file of ten contracts
// and of a hundred thousand. The file, not the tree, is asked: it is what a new row must
// not collide with.

// The largest contract id, 0 when there is none.
qint64 LargestContractIdInFile(ContractQuery& query);

// The largest top-level number in use, read from the first segment of every code so that
// a branch whose top-level row is missing still counts; 1 when there is none.
int LargestTopLevelNumberInFile(ContractQuery& query);

// The code for a new child of `prefix` (empty for the top level), as FirstFreeChildCode
// gives it for the codes of the file.
std::optional<QString> FirstFreeChildCodeInFile(ContractQuery& query, const QString& prefix);

// The row of a new contract, "新合同" with today's date in each of its dates, under the next
// id and the code given. Inside the command's transaction, which on a server holds the
// write lock, nobody else takes the id or the code between the reading and the writing.
struct NewContractRow {
    qint64 id = 0;
    QString code;
};
NewContractRow InsertContractRow(ContractQuery& query, const QString& code, const QDate& today);
