#include "EngineFixture.h"

#include <QFile>
#include <QTest>

#include "BlobTransfer.h"
#include "ContractQuery.h"
#include "ScriptedDesktop.h"
#include "ServerConnection.h"
#include "ServerSchema.h"
#include "ThrowawayServer.h"
#include "Tmainf.h"

void addEngineRows() {
    QTest::addColumn<int>("engine");
    QTest::newRow("file") << int(Engine::File);
    QTest::newRow("server") << int(Engine::Server);
}

Engine currentEngine() {
    QFETCH_GLOBAL(int, engine);
    return Engine(engine);
}

EngineFixture::EngineFixture(Engine engine) : engine_(engine) {
    if (engine_ == Engine::File) {
        place_ = files_.newContractFile();
        return;
    }
    ThrowawayServer& server = ThrowawayServer::instance();
    // Said here as well: an exception out of init() reaches the log without its text.
    if (!server.problem().isEmpty()) qCritical("%s", qPrintable(server.problem()));
    database_ = server.newDatabase();
    place_ = server.connectionString(database_);
    ServerConnection connection(place_);
    createServerSchema(connection);
}

EngineFixture::~EngineFixture() {
    if (!database_.isEmpty()) ThrowawayServer::instance().dropDatabase(database_);
}

std::unique_ptr<ContractQuery> EngineFixture::openQuery() const {
    auto query = std::make_unique<ContractQuery>();
    if (engine_ == Engine::File) query->setContractFile(place_);
    else query->connectToServer(place_);
    return query;
}

void EngineFixture::executeOutside(const QStringList& statements) const {
    if (engine_ == Engine::File) {
        ContractFileFixture::execute(place_, statements);
        return;
    }
    ServerConnection connection(place_);
    for (const QString& sql : statements) connection.execute(sql);
}

void EngineFixture::refuseChanges(const QString& table, const QString& change,
                                  const QString& message, const QString& when) const {
    static int triggers = 0;
    const QString name = QStringLiteral("refuse_%1").arg(++triggers);
    if (engine_ == Engine::File) {
        executeOutside(
            {QStringLiteral("create trigger %1 before %2 on %3 %4 begin "
                            "select raise(abort, '%5'); end")
                 .arg(name, change, table,
                      when.isEmpty() ? QString() : QStringLiteral("when ") + when, message)});
        return;
    }
    executeOutside({QStringLiteral("create function %1() returns trigger language plpgsql as "
                                   "$$ begin raise exception '%2'; end $$")
                        .arg(name, message),
                    QStringLiteral("create trigger %1 before %2 on %3 for each row %4 "
                                   "execute function %1()")
                        .arg(name, change, table,
                             when.isEmpty() ? QString() : QStringLiteral("when (") + when + ')')});
}

bool EngineFixture::openIn(Tmainf& window, ScriptedDesktop& desktop) const {
    if (engine_ == Engine::File) {
        window.OpenContractFile(place_);
        return window.query().contractFile() == place_;
    }
    const qsizetype shown = desktop.messages.size();
    desktop.servers.enqueue(place_);
    window.connectToServerClick();
    if (window.query().isOnServer()) return true;
    for (qsizetype i = shown; i < desktop.messages.size(); ++i)
        qWarning("%s", qPrintable(desktop.messages[i].text));
    return false;
}

void EngineFixture::storeFileOutside(const QString& table, const QString& key, qint64 id,
                                     const QString& column, const QByteArray& bytes) const {
    const QString path = files_.path(QStringLiteral("file-to-store.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    StoreFileInBlob(*openQuery(), table, key, id, column, path);
    QFile::remove(path);
}

std::optional<QByteArray> EngineFixture::storedFile(const QString& table, const QString& key,
                                                    qint64 id, const QString& column) const {
    const auto query = openQuery();
    query->RunQuery(
        QStringLiteral("select %1 from %2 where %3=%4").arg(column, table, key).arg(id));
    if (query->eof() || query->isNull(column.toUtf8().constData())) return std::nullopt;
    query->close();
    const QString path = files_.path(QStringLiteral("stored-file.bin"));
    ExtractBlobToFile(*query, table, key, id, column, path);
    const QByteArray bytes = fileBytes(path);
    QFile::remove(path);
    return bytes;
}
