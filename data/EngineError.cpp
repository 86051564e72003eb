#include "EngineError.h"

#include <sqlite3.h>

namespace {

QString headlineFor(int primaryCode) {
    switch (primaryCode) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return QStringLiteral("合同文件正被其他程序使用，请稍后再试");
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH: return QStringLiteral("合同文件不允许写入");
        case SQLITE_NOMEM: return QStringLiteral("内存不足");
        case SQLITE_IOERR: return QStringLiteral("读写合同文件时出错");
        case SQLITE_CORRUPT: return QStringLiteral("合同文件已损坏");
        case SQLITE_NOTADB: return QStringLiteral("所选文件不是合同文件");
        case SQLITE_FULL: return QStringLiteral("磁盘空间已满，数据未能写入");
        case SQLITE_CANTOPEN: return QStringLiteral("无法打开合同文件");
        case SQLITE_CONSTRAINT: return QStringLiteral("数据违反了合同文件的约束");
        case SQLITE_TOOBIG: return QStringLiteral("数据太大，无法存入合同文件");
        case SQLITE_MISMATCH: return QStringLiteral("数据类型不符");
        case SQLITE_ABORT:
        case SQLITE_INTERRUPT: return QStringLiteral("数据库操作被中止");
        default: return QStringLiteral("数据库语句执行出错");
    }
}

}  // namespace

AppError engineError(int resultCode, const QString& engineMessage) {
    return AppError(headlineFor(resultCode & 0xff), engineMessage);
}

AppError engineError(sqlite3* db, int resultCode) {
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db))
                               : QString::fromUtf8(sqlite3_errstr(resultCode));
    return engineError(resultCode, message);
}
