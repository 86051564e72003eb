#include "Transaction.h"

#include <sqlite3.h>

#include "AppError.h"
#include "ContractQuery.h"
#include "EngineError.h"
#include "ServerConnection.h"

namespace {

void execute(sqlite3* db, const char* sql) {
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw engineError(db, rc);
}

}  // namespace

Transaction::Transaction(ContractQuery& query) : query_(query) {
    query_.close();
    if (query_.isOnServer()) {
        // The server has no savepoint outside a transaction: the outermost one begins it.
        ServerConnection& server = query_.server();
        outermost_ = !server.inTransaction();
        server.execute(outermost_ ? QStringLiteral("begin") : QStringLiteral("savepoint command"));
        return;
    }
    sqlite3* db = query_.database();
    outermost_ = sqlite3_get_autocommit(db) != 0;
    execute(db, "savepoint command");
}

Transaction::~Transaction() {
    if (!open_) return;
    query_.close();
    // Nothing may escape a destructor; a rollback that fails leaves the savepoint to
    // the engine, which undoes it when the connection closes.
    try {
        if (query_.isOnServer()) {
            ServerConnection& server = query_.server();
            if (outermost_) {
                server.rollback();
            } else {
                server.execute(QStringLiteral("rollback to savepoint command"));
                server.execute(QStringLiteral("release savepoint command"));
            }
            return;
        }
        sqlite3* db = query_.database();
        if (outermost_) {
            // A plain rollback, not "rollback to" and "release": releasing would commit
            // an empty write transaction, which still rewrites the file's header.
            sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
            query_.undoFailedWrite();
        } else {
            sqlite3_exec(db, "rollback to command", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "release command", nullptr, nullptr, nullptr);
        }
    } catch (...) {
    }
}

void Transaction::commit() {
    query_.close();
    if (query_.isOnServer()) {
        ServerConnection& server = query_.server();
        if (outermost_) {
            // A transaction the server already gave up ends here too: nothing to roll back.
            open_ = false;
            server.commit();
        } else {
            server.execute(QStringLiteral("release savepoint command"));
            open_ = false;
        }
        return;
    }
    execute(query_.database(), "release command");
    open_ = false;
}
