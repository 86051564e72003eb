// The connection to a PostgreSQL server under the query object: how it is made and
// refused, the settings every session gets, one statement per call, commits that were
// really rollbacks, rows read one at a time, the server's errors in Chinese, the schema
// made in an empty database, and statement texts as the server runs them.
#include <libpq-fe.h>

#include <QtTest>

#include "AppError.h"
#include "BlobChunks.h"
#include "BlobTransfer.h"
#include "ContractQuery.h"
#include "ErrorText.h"
#include "ServerConnection.h"
#include "ServerSchema.h"
#include "ServerStatementText.h"
#include "ThrowawayServer.h"

namespace {

QString value(ServerConnection& connection, const QString& sql) {
    PgResult result = connection.execute(sql);
    return QString::fromUtf8(PQgetvalue(result.get(), 0, 0));
}

}  // namespace

class ServerConnectionTest : public QObject {
    Q_OBJECT

    QString database;
    std::unique_ptr<ServerConnection> connection;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(ThrowawayServer::instance().problem().isEmpty(),
                 qPrintable(ThrowawayServer::instance().problem()));
    }
    void init() {
        database = ThrowawayServer::instance().newDatabase();
        connection = std::make_unique<ServerConnection>(ThrowawayServer::instance().connectionString(database));
        connection->execute("create table t (id bigint primary key, name text, amount double precision)");
    }
    void cleanup() {
        connection.reset();
        ThrowawayServer::instance().dropDatabase(database);
    }

    void refusedConnectionsSayWhy_data() {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<QString>("headline");
        const QString socket = ThrowawayServer::instance().socketFolder();
        QTest::newRow("no server there") << "host=/tmp/vpg-nowhere connect_timeout=2" << "无法连接到服务器";
        QTest::newRow("no such database") << "host=" + socket + " dbname=nosuch user=postgres"
                                          << "服务器上没有这个数据库";
        QTest::newRow("no such role") << "host=" + socket + " dbname=postgres user=nobody_here"
                                      << "服务器拒绝了登录，请检查用户名和密码";
        QTest::newRow("not a connection string") << "host=" + socket + " dbname" << "服务器连接设置有误";
        QTest::newRow("unknown service") << "service=vemora_nosuch" << "服务器连接设置有误";
    }
    void refusedConnectionsSayWhy() {
        QFETCH(QString, connectionString);
        QFETCH(QString, headline);
        QTemporaryFile services;  // knows one service, not the one asked for
        QVERIFY(services.open());
        services.write("[contracts]\nhost=/tmp/vpg-nowhere\n");
        services.flush();
        qputenv("PGSERVICEFILE", QFile::encodeName(services.fileName()));
        QElapsedTimer clock;
        clock.start();
        const QString error = errorOf([&] { ServerConnection refused(connectionString); });
        qunsetenv("PGSERVICEFILE");
        QVERIFY2(error.startsWith(headline + QStringLiteral("：")), qPrintable(error));
        QVERIFY2(error.size() > headline.size() + 5, qPrintable(error));  // libpq's own reason follows
        QVERIFY(clock.elapsed() < 5000);
    }

    void everySessionHasTheSameSettings() {
        // A server set up otherwise does not change how texts and numbers travel.
        connection->execute("alter database " + database +
                            " set standard_conforming_strings = off");
        connection->execute("alter database " + database + " set extra_float_digits = -10");
        ServerConnection fresh(ThrowawayServer::instance().connectionString(database));
        QCOMPARE(value(fresh, "select 'C:\\temp\\new'"), QStringLiteral("C:\\temp\\new"));
        QCOMPARE(value(fresh, "select 0.1::float8 + 0.2::float8"), QStringLiteral("0.30000000000000004"));
        QCOMPARE(value(fresh, "show lock_timeout"), QStringLiteral("5s"));
        QCOMPARE(value(fresh, "show client_encoding"), QStringLiteral("UTF8"));
        QCOMPARE(fresh.databaseName(), database);
    }

    void onlyOneStatementPerCall() {
        const QString error = errorOf([&] { connection->execute("insert into t values (1); drop table t"); });
        QVERIFY2(error.contains("cannot insert multiple commands"), qPrintable(error));
        QCOMPARE(value(*connection, "select count(*) from t"), QStringLiteral("0"));
    }

    void valuesTravelBesideTheText() {
        const QString name = QStringLiteral("O'Brien; drop table t; -- \\ 合同");
        connection->execute("insert into t (id, name) values ($1, $2)",
                            {ServerParam::number(1), ServerParam::text(name)});
        QCOMPARE(connection->rowsChanged(), 1);
        QCOMPARE(value(*connection, "select name from t"), name);
        connection->execute("update t set name = 'x' where id = 2");
        QCOMPARE(connection->rowsChanged(), 0);
    }

    void aCommitAfterAFailureIsAFailure() {
        connection->execute("begin");
        connection->execute("insert into t (id) values (1)");
        QVERIFY(errorOf([&] { connection->execute("insert into t (id) values (1)"); })
                    .startsWith(QStringLiteral("数据违反了数据库的约束：")));
        QVERIFY(connection->inTransaction());
        const QString error = errorOf([&] { connection->execute("insert into t (id) values (2)"); });
        QVERIFY2(error.startsWith(QStringLiteral("本次操作中前面的语句已出错")), qPrintable(error));
        QVERIFY(errorOf([&] { connection->commit(); }).startsWith(QStringLiteral("操作中有语句出错，已全部撤销")));
        QVERIFY(!connection->inTransaction());
        QCOMPARE(value(*connection, "select count(*) from t"), QStringLiteral("0"));
    }

    void rowsAreReadOneAtATime() {
        connection->execute("insert into t (id, name) select g, 'n' || g from generate_series(1, 5000) g");
        connection->startRows("select id, name from t order by id");
        PgResult first = connection->nextRow();
        QCOMPARE(PQntuples(first.get()), 1);
        QCOMPARE(QByteArray(PQgetvalue(first.get(), 0, 1)), QByteArray("n1"));
        QVERIFY(connection->readingRows());
        // A statement in between drops the rest; the connection goes on.
        QCOMPARE(value(*connection, "select count(*) from t"), QStringLiteral("5000"));
        QVERIFY(!connection->readingRows());

        int rows = 0;
        connection->startRows("select id from t");
        while (connection->nextRow()) ++rows;
        QCOMPARE(rows, 5000);

        // A failure after some rows were read ends the statement with the error.
        connection->startRows("select 1 / (2500 - id) from t order by id");
        const QString error = errorOf([&] { while (connection->nextRow()) {} });
        QVERIFY2(error.startsWith(QStringLiteral("数据不符合要求：")) && error.contains("division by zero"),
                 qPrintable(error));
        QCOMPARE(value(*connection, "select 1"), QStringLiteral("1"));
    }

    void aLockHeldTooLongIsReported() {
        connection->execute("insert into t (id) values (1)");
        ServerConnection other(ThrowawayServer::instance().connectionString(database));
        other.execute("begin");
        other.execute("update t set name = 'held' where id = 1");
        connection->execute("set lock_timeout = '100ms'");
        const QString error = errorOf([&] { connection->execute("update t set name = 'mine' where id = 1"); });
        QVERIFY2(error.startsWith(QStringLiteral("数据正被其他用户使用，请稍后再试：")), qPrintable(error));
        other.commit();
    }

    void refusedWritesSayWhy_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("headline");
        QTest::newRow("role that may only read") << "role" << "没有权限执行此操作（服务器拒绝）";
        QTest::newRow("read-only session") << "session" << "当前连接只允许读取，不能修改数据";
    }
    void refusedWritesSayWhy() {
        QFETCH(QString, refusal);
        QFETCH(QString, headline);
        std::unique_ptr<ServerConnection> clerk;
        if (refusal == "role") {
            connection->execute("do $$ begin if not exists (select from pg_roles where rolname = 'reader') then "
                                "create role reader login; end if; end $$");
            connection->execute("grant select on t to reader");
            clerk = std::make_unique<ServerConnection>(ThrowawayServer::instance().connectionString(database) +
                                                       " user=reader");
        } else {
            clerk = std::make_unique<ServerConnection>(ThrowawayServer::instance().connectionString(database) +
                                                       " options='-c default_transaction_read_only=on'");
        }
        QCOMPARE(value(*clerk, "select count(*) from t"), QStringLiteral("0"));
        const QString error = errorOf([&] { clerk->execute("insert into t (id) values (1)"); });
        QVERIFY2(error.startsWith(headline + QStringLiteral("：ERROR:")), qPrintable(error));
    }

    void aLostConnectionIsToldAndTheNextStatementReconnects() {
        const QString pid = value(*connection, "select pg_backend_pid()");
        ServerConnection(ThrowawayServer::instance().connectionString(database))
            .execute("select pg_terminate_backend(" + pid + ")");
        const QString error = errorOf([&] { connection->execute("select 1"); });
        QVERIFY2(error.startsWith(QStringLiteral("与服务器的连接已断开")), qPrintable(error));
        QVERIFY(value(*connection, "select pg_backend_pid()") != pid);
        QCOMPARE(value(*connection, "show lock_timeout"), QStringLiteral("5s"));
    }

    // A command whose connection is lost half way must not finish on a new one: the server
    // undid its first part, so its second part would be written alone.
    void aTransactionLostHalfWayIsNotFinishedOnANewConnection() {
        connection->execute("begin");
        connection->execute("insert into t (id) values (1)");
        ServerConnection(ThrowawayServer::instance().connectionString(database))
            .execute("select pg_terminate_backend(" + value(*connection, "select pg_backend_pid()") + ")");
        QVERIFY(errorOf([&] { connection->execute("insert into t (id) values (2)"); })
                    .startsWith(QStringLiteral("与服务器的连接已断开")));
        QVERIFY(connection->inTransaction());
        const QString error = errorOf([&] { connection->execute("insert into t (id) values (3)"); });
        QVERIFY2(error.startsWith(QStringLiteral("与服务器的连接已断开：进行中的操作已由服务器撤销")), qPrintable(error));
        connection->rollback();
        QVERIFY(!connection->inTransaction());
        QCOMPARE(value(*connection, "select count(*) from t"), QStringLiteral("0"));
    }

    void theSchemaIsMadeWholeInAnEmptyDatabase() {
        connection->execute("drop table t");
        createServerSchema(*connection);
        verifyServerSchema(*connection);
        QCOMPARE(value(*connection, "select count(*) from pg_tables where schemaname='public'"), QStringLiteral("9"));
        // Pinyin for unit names, bytewise codes whose prefix search uses the index.
        connection->execute("insert into ghdwinfo (id,dwmc) values (1,'张三'),(2,'阿里'),(3,'北京')");
        QCOMPARE(value(*connection, "select string_agg(dwmc, ',' order by dwmc) from ghdwinfo"),
                 QStringLiteral("阿里,北京,张三"));
        connection->execute("set enable_seqscan = off");
        QVERIFY(value(*connection, "explain select conid from htmain where concode like '0001%'").contains("Index"));
        QCOMPARE(value(*connection, "select rowver from ghdwinfo where id=1"), QStringLiteral("0"));

        // A second time the database is not empty any more: refused, nothing changed.
        const QString again = errorOf([&] { createServerSchema(*connection); });
        QVERIFY2(again.startsWith(QStringLiteral("服务器上的数据库不是空的，其中已有合同数据表：")), qPrintable(again));
        QCOMPARE(value(*connection, "select count(*) from ghdwinfo"), QStringLiteral("3"));
    }

    void aSchemaThatFailsHalfWayLeavesNothing() {
        // Something of the same name that is not ours stops the script near its end.
        connection->execute("create function typeof(bigint) returns text language sql as $$ select 'x' $$");
        const QString error = errorOf([&] { createServerSchema(*connection); });
        QVERIFY2(error.startsWith(QStringLiteral("数据库语句执行出错：")), qPrintable(error));
        QVERIFY(!connection->inTransaction());
        QCOMPARE(value(*connection, "select count(*) from pg_tables where schemaname='public'"), QStringLiteral("1"));
        QVERIFY(errorOf([&] { verifyServerSchema(*connection); })
                    .startsWith(QStringLiteral("服务器上的数据库中没有合同数据表，不是合同数据库：") + database));
    }

    // A copy of a contract file writes its rows and the pieces of their files in one
    // transaction: undone, it leaves no piece; committed, the query object reads the file
    // back whole, whatever sizes the copy wrote in.
    void storedFilesCopiedInPiecesComeBackWhole() {
        connection->execute("drop table t");
        createServerSchema(*connection);
        QByteArray bytes(5 * kBlobChunkSize / 2 + 3, Qt::Uninitialized);
        for (int i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 4096);
        const auto copy = [&] {
            connection->execute("begin");
            connection->execute("insert into httext (id,conid,textname,docfile) values ($1,$2,$3,$4)",
                                {ServerParam::number(7), ServerParam::number(1), ServerParam::text("合同.doc"),
                                 ServerParam::number(bytes.size())});
            BlobChunkWriter pieces(*connection, "httext", 7, "docfile");
            for (qint64 at = 0; at < bytes.size(); at += 300001)
                pieces.write(bytes.constData() + at, qMin<qint64>(300001, bytes.size() - at));
            QCOMPARE(pieces.finish(), qint64(bytes.size()));
        };
        copy();
        connection->rollback();
        QCOMPARE(value(*connection, "select count(*) from blobchunk"), QStringLiteral("0"));
        copy();
        connection->commit();
        QCOMPARE(value(*connection, "select count(*) from blobchunk"), QStringLiteral("3"));

        ContractQuery query;
        query.connectToServer(ThrowawayServer::instance().connectionString(database));
        QTemporaryDir folder;
        ExtractBlobToFile(query, "httext", "id", 7, "docfile", folder.filePath("out.doc"));
        QFile out(folder.filePath("out.doc"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QVERIFY(out.readAll() == bytes);
    }

    void scriptsSplitAtTheirOwnSemicolons() {
        QCOMPARE(splitSqlScript("create table a (x text default ';'); -- a comment; with one\n"
                                "create function f() returns int language sql as $$ select 1; $$;\n"
                                "create function g() returns int language sql as $b$ select 2; $b$\n"),
                 (QStringList{"create table a (x text default ';')",
                              "create function f() returns int language sql as $$ select 1; $$",
                              "create function g() returns int language sql as $b$ select 2; $b$"}));
    }

    void statementsAsTheServerRunsThem_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("server");
        QTest::newRow("empty values first")
            << "select * from ghdwinfo order by sdq asc,dwmc asc"
            << "select * from ghdwinfo order by sdq asc nulls first,dwmc asc nulls first";
        QTest::newRow("descending: empty values last")
            << "select * from htmain order by concode DESC" << "select * from htmain order by concode DESC nulls last";
        QTest::newRow("qualified terms without direction")
            << "select m.concode,(select sum(fkje) from htfk where htfk.conid=m.conid) from htmain m order by m.concode,m.conid"
            << "select m.concode,(select sum(fkje) from htfk where htfk.conid=m.conid) from htmain m order by m.concode nulls first,m.conid nulls first";
        QTest::newRow("a plain select gets its key's order")
            << "select fkid,fkname from htfk where conid=5" << "select fkid,fkname from htfk where conid=5 order by fkid";
        QTest::newRow("whole table, trailing semicolon") << "select * from infoset;" << "select * from infoset order by id";
        QTest::newRow("aggregate") << "select count(*) as a from htfk where conid=7" << "select count(*) as a from htfk where conid=7";
        QTest::newRow("max") << "select max(fkid) as a from htfk" << "select max(fkid) as a from htfk";
        QTest::newRow("not one of ours") << "select relname from pg_class" << "select relname from pg_class";
        QTest::newRow("order by inside a value")
            << "select id from infoset where infotext='a order by b'" << "select id from infoset where infotext='a order by b' order by id";
        QTest::newRow("commands unchanged") << "update htfk set fkname='x' where fkid=1" << "update htfk set fkname='x' where fkid=1";
        QTest::newRow("already has nulls") << "select * from htfk order by fkrq nulls last" << "select * from htfk order by fkrq nulls last";
    }
    void statementsAsTheServerRunsThem() {
        QFETCH(QString, sql);
        QFETCH(QString, server);
        QCOMPARE(serverStatementText(sql), server);
    }
};

QTEST_GUILESS_MAIN(ServerConnectionTest)
#include "tst_serverconnection.moc"
