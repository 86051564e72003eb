#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ContractQuery;

// A scratch folder for one test with a program folder holding the template, and helpers
// that make contract files in it.
class ContractFileFixture {
public:
    ContractFileFixture();

    bool isValid() const { return dir_.isValid(); }
    // The folder standing in for the program folder: it holds a copy of temp.mdb.
    QString programFolder() const;
    // A path inside the test's folder (the file is not created).
    QString path(const QString& name) const;
    // A new contract file made from the template.
    QString newContractFile(const QString& name = QStringLiteral("test.pzq")) const;
    // Runs each statement against the file, outside the program's query object.
    static void execute(const QString& file, const QStringList& statements);

    // The template built with the program.
    static QString templatePath();
    // The project's own test data (tests/data).
    static QString testData();

private:
    QTemporaryDir dir_;
};

// All statements a query object runs, in order, for assertions on statement text.
class StatementLog {
public:
    explicit StatementLog(ContractQuery& query);
    ~StatementLog();
    QStringList statements;

private:
    ContractQuery& query_;
};

// The bytes of a file, for "left unchanged" checks.
QByteArray fileBytes(const QString& path);
