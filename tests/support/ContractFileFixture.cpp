#include "ContractFileFixture.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "ChineseCollation.h"
#include "ContractQuery.h"

ContractFileFixture::ContractFileFixture() {
    QDir(dir_.path()).mkpath(QStringLiteral("program"));
    QFile::copy(templatePath(), programFolder() + QStringLiteral("/temp.mdb"));
}

QString ContractFileFixture::programFolder() const { return dir_.path() + QStringLiteral("/program"); }

QString ContractFileFixture::path(const QString& name) const { return dir_.filePath(name); }

QString ContractFileFixture::newContractFile(const QString& name) const {
    const QString target = path(name);
    QFile::remove(target);
    if (!QFile::copy(templatePath(), target)) throw std::runtime_error("cannot copy the template");
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return target;
}

void ContractFileFixture::execute(const QString& file, const QStringList& statements) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the contract file");
    registerChineseCollation(db);
    for (const QString& sql : statements) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = std::string(error ? error : "?") + " in: " + sql.toStdString();
            sqlite3_free(error);
            sqlite3_close(db);
            throw std::runtime_error(message);
        }
    }
    sqlite3_close(db);
}

QString ContractFileFixture::templatePath() { return QStringLiteral(VEMORA_TEMPLATE_PATH); }

QString ContractFileFixture::testData() { return QStringLiteral(VEMORA_TEST_DATA); }

StatementLog::StatementLog(ContractQuery& query) : query_(query) {
    query_.setStatementObserver([this](const QString& sql) { statements << sql; });
}

StatementLog::~StatementLog() { query_.setStatementObserver({}); }

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
