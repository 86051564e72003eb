#pragma once

#include <QString>
#include <optional>

class ContractQuery;

// The version of one row as a page showed it, so that a save over a row another clerk
// saved in between is refused instead of silently undoing that clerk's work.
//
// On a server every save of a row counts up its rowver (a trigger does); a page keeps the
// version of the row it shows and saves "… where <key>=<id> and rowver=<that version>".
// A contract file has one clerk and no versions: there every save goes through as written.
class RowVersion {
public:
    RowVersion() = default;

    // The version of the current row of the query's result, the row `id` of its table.
    static RowVersion ofCurrentRow(const ContractQuery& query, qint64 id);
    // The version the row `id` of `table` has now.
    static RowVersion read(ContractQuery& query, const QString& table, const QString& keyColumn,
                           qint64 id);
    // After a save of the row made elsewhere in the program (a rename in the tree): one
    // version on. Reading the row again instead would take on a save another clerk made in
    // between, and the page would then save over it.
    void countOwnSave() {
        if (version_) ++*version_;
    }

    // Runs `updateSql`, an update of the one row `id` whose text ends with its where clause.
    // When the version of that row is known and the row no longer has it, throws AppError
    // "该记录已被其他用户修改，请重新载入后再保存" and writes nothing. Returns the rows changed;
    // afterwards the version is the one just saved.
    int update(ContractQuery& query, qint64 id, const QString& updateSql);

    // For a save made of several statements: inside their transaction, refuses the save as
    // update() does when the row is no longer at its version, and otherwise counts the
    // row's version up and holds the row until the transaction ends.
    void claim(ContractQuery& query, const QString& table, const QString& keyColumn, qint64 id);

    static const QString& conflictMessage();

private:
    qint64 id_ = 0;
    std::optional<qint64> version_;
};
