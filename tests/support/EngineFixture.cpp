#include "EngineFixture.h"

#include <QTest>

#include "ContractQuery.h"
#include "ServerConnection.h"
#include "ServerSchema.h"
#include "ThrowawayServer.h"

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
