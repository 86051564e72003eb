#pragma once

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
