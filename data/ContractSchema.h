#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// The eight tables every contract file holds.
const QStringList& contractTables();

// Throws AppError naming the missing tables when the database is not a contract file.
void verifyContractSchema(sqlite3* db, const QString& path);

// Brings a file written by an earlier version up to date: files without the column for
// "存放地点" (htmain.cfdd) get it, so that what is typed there is kept.
void upgradeContractSchema(sqlite3* db);
