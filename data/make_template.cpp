// Build step: turns the schema file into the template contract file temp.mdb.
// Usage: make_template <schema.sql> <temp.mdb>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "ChineseCollation.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_template <schema.sql> <temp.mdb>\n");
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray sql = schema.readAll();
    const QString target = QString::fromLocal8Bit(argv[2]);
    QFile::remove(target);

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[2], sqlite3_errmsg(db));
        return 1;
    }
    registerChineseCollation(db);
    char* error = nullptr;
    // Most of a contract file's bytes are stored documents and scans, kept as chains of
    // overflow pages that the engine reads and writes one page per call. With 32 KiB pages
    // a 256 MB file takes an eighth of the calls it takes with the default 4 KiB; the
    // price is an empty contract file of about half a megabyte. Set before the first table,
    // as the page size of a database is fixed once it holds anything.
    // The application id "VMRC" in the header lets the desktop tell a contract file from
    // other SQLite databases by its contents (see the MIME type in desktop/).
    if (sqlite3_exec(db, "pragma page_size=32768", nullptr, nullptr, &error) != SQLITE_OK ||
        sqlite3_exec(db, "pragma application_id=1447907907", nullptr, nullptr, &error) != SQLITE_OK ||
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK ||
        sqlite3_exec(db, "vacuum", nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "schema failed: %s\n", error);
        sqlite3_free(error);
        sqlite3_close(db);
        QFile::remove(target);
        return 1;
    }
    sqlite3_close(db);
    return 0;
}
