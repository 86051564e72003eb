#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "ContractFileFixture.h"

class ContractQuery;
class ScriptedDesktop;
class Tmainf;

// The two places the program's data can live. A test that must hold on both runs once
// per engine: it calls addEngineRows() in initTestCase_data(), and builds an EngineFixture
// for currentEngine() in init().
enum class Engine { File, Server };

// The rows "file" and "server" of the test program's global data.
void addEngineRows();
// The engine of the row running now.
Engine currentEngine();

// Fresh data for one test on one engine: a new contract file from the template, or a new
// database holding our tables on the throwaway server (dropped again at the end). Its
// scratch folder serves both, for files to store and take out.
class EngineFixture {
public:
    explicit EngineFixture(Engine engine);
    ~EngineFixture();

    Engine engine() const { return engine_; }
    bool onServer() const { return engine_ == Engine::Server; }
    ContractFileFixture& files() { return files_; }

    // A new query object on this test's data.
    std::unique_ptr<ContractQuery> openQuery() const;
    // Runs statements outside the program's query object, on a connection of their own.
    void executeOutside(const QStringList& statements) const;
    // Has the engine refuse, from now on, a change of `table` with `message`, as a full
    // disk or a read-only file would: `change` names it as a trigger does ("insert",
    // "update of conname", "delete"), and `when`, if given, limits it to rows for which
    // a condition on new. or old. holds.
    void refuseChanges(const QString& table, const QString& change, const QString& message,
                       const QString& when = QString()) const;

    // Opens the window on this test's data as a clerk does: the contract file as "打开合同文件"
    // opens it, or the database through "连接服务器…" with the connection string typed into
    // the desktop's server dialog. False, with the message shown, when it did not open.
    bool openIn(Tmainf& window, ScriptedDesktop& desktop) const;

    // Stores `bytes` as the file in `column` of the row `id` of `table` (keyed by `key`),
    // as the program stores files: in the column of a contract file, in pieces on a server.
    void storeFileOutside(const QString& table, const QString& key, qint64 id,
                          const QString& column, const QByteArray& bytes) const;
    // The file stored in `column` of that row; none when the column has no value.
    std::optional<QByteArray> storedFile(const QString& table, const QString& key, qint64 id,
                                         const QString& column) const;

    // How a save of one row shown at `version` ends its statement: on a server it holds
    // only over that version; a contract file has no versions.
    QString versionCheck(qint64 version) const {
        return onServer() ? QStringLiteral(" and rowver=%1").arg(version) : QString();
    }

    // The contract file (File), or the connection string of the database (Server).
    const QString& place() const { return place_; }

private:
    Engine engine_;
    ContractFileFixture files_;
    QString database_;
    QString place_;
};
