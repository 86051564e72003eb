#include "Transaction.h"

#include <sqlite3.h>

#include "ContractQuery.h"
#include "EngineError.h"

namespace {

void execute(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw engineError(db, rc);
}

}  // namespace

Transaction::Transaction(ContractQuery& query) : query_(query) {
    query_.close();
    execute(query_.database(), "savepoint command");
}

Transaction::~Transaction() {
    if (!open_) return;
    query_.close();
    // Nothing may escape a destructor; a rollback that fails leaves the savepoint to
    // the engine, which undoes it when the connection closes.
    sqlite3* db = query_.database();
    sqlite3_exec(db, "rollback to command", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "release command", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    query_.close();
    execute(query_.database(), "release command");
    open_ = false;
}
