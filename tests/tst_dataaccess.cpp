// The query object and what is built on it: statements and their result set, values
// read by kind, literals through the engine, counting rows, new keys, transactions and
// the engine's errors in Chinese. Every case runs on a contract file and on a server.
#include <sqlite3.h>

#include <QtTest>

#include "AppError.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "EngineFixture.h"
#include "ErrorText.h"
#include "RecordAccess.h"
#include "ServerConnection.h"
#include "SqlLiteral.h"
#include "ThrowawayServer.h"
#include "Transaction.h"

class DataAccessTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data;
    std::unique_ptr<ContractQuery> query;

    int count(const QString& table) { return CountAllRows(*query, table); }
    QList<qint64> keys(const QString& sql) {
        QList<qint64> seen;
        for (query->RunQuery(sql); !query->eof(); query->next()) seen << query->integerAt(0);
        return seen;
    }

    QStringList texts(const QString& sql) {
        QStringList seen;
        for (query->RunQuery(sql); !query->eof(); query->next())
            seen << (query->isNull("dwmc") ? QStringLiteral("(null)") : query->text("dwmc"));
        return seen;
    }

private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data = std::make_unique<EngineFixture>(currentEngine());
        query = data->openQuery();
    }
    void cleanup() {
        query.reset();
        data.reset();
    }

    void withoutAFileNothingRuns() {
        ContractQuery unconnected;
        QCOMPARE(errorOf([&] { unconnected.RunQuery("select * from htmain"); }), QStringLiteral("尚未打开合同文件"));
        QCOMPARE(errorOf([&] { unconnected.RunCommand("delete from htmain"); }), QStringLiteral("尚未打开合同文件"));
        QCOMPARE(errorOf([&] { unconnected.setContractFile("  "); }), QStringLiteral("合同文件路径为空"));
        QVERIFY(unconnected.eof());
        QCOMPARE(errorOf([&] { unconnected.text("conname"); }), QStringLiteral("没有当前记录"));
    }

    void valuesReadByKind() {
        // A contract as the tree creates it: name and dates only, everything else unwritten.
        query->RunCommand(
            "insert into htmain (conid,concode,conname,kgrq,jgrq,cprq,qdrq,yfkrq,jsrq,gdrq) values "
            "(1,'0001','新合同','2026-03-15','2026-03-15','2026-03-15','2026-03-15','2026-03-15',"
            "'2026-03-15','2026-03-15')");
        query->RunCommand("insert into htmain (conid,concode,zhongyao,gd,gsje,htjk) values (2,'0002','True','true',1e3,-2.5)");

        query->RunQuery("select * from htmain where conid=1");
        QCOMPARE(query->text("conname"), QStringLiteral("新合同"));
        QCOMPARE(query->text("showcode"), QString());
        QVERIFY(query->isNull("showcode"));
        QCOMPARE(query->amount("gsje"), 0.0);
        QCOMPARE(query->integer("gsje"), 0);
        QVERIFY(!sql::flagIsSet(query->text("zhongyao")));
        QCOMPARE(query->date("kgrq"), QDate(2026, 3, 15));
        QCOMPARE(query->text("CONNAME"), QStringLiteral("新合同"));  // names as the engine spells them, any case
        QCOMPARE(errorOf([&] { query->text("nosuch"); }),
                 data->onServer() ? QStringLiteral("合同数据库中缺少数据列：nosuch")
                                  : QStringLiteral("合同文件中缺少数据列：nosuch"));

        query->RunQuery("select * from htmain where conid=2");
        QVERIFY(!sql::flagIsSet(query->text("zhongyao")));
        QVERIFY(sql::flagIsSet(query->text("gd")));
        QCOMPARE(sql::formatAmount(query->amount("gsje")), QStringLiteral("1000"));
        QCOMPARE(query->amount("htjk"), -2.5);
        QCOMPARE(query->date("kgrq"), QDate(1899, 12, 30));

        // Aggregates over no rows are empty and read as 0.
        query->RunQuery("select sum(fkje) as fkjesum,sum(fpje) as fpjesum from htfk where conid=1");
        QVERIFY(query->isNull("fkjesum"));
        QCOMPARE(query->amount("fkjesum"), 0.0);
        QCOMPARE(query->amount("fpjesum"), 0.0);
    }

    // An amount reads back as the same double on both engines, and as the same text as
    // the contract file's engine writes it; sums over rows add up alike.
    void numbersReadBackAlike_data() {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("integer");
        QTest::newRow("whole") << "100" << 100.0 << "100.0" << qint64(100);
        QTest::newRow("exponent") << "1e3" << 1000.0 << "1000.0" << qint64(1000);
        QTest::newRow("beyond whole numbers") << "1e20" << 1e20 << "1.0e+20"
                                              << std::numeric_limits<qint64>::max();
        QTest::newRow("negative fraction") << "-2.5" << -2.5 << "-2.5" << qint64(-2);
        QTest::newRow("cents") << "123456789.12" << 123456789.12 << "123456789.12" << qint64(123456789);
        QTest::newRow("more digits than shown") << "0.12345678901234567" << 0.12345678901234567
                                                << "0.123456789012346" << qint64(0);
        QTest::newRow("tiny") << "0.000001" << 0.000001 << "1.0e-06" << qint64(0);
    }
    void numbersReadBackAlike() {
        QFETCH(QString, literal);
        QFETCH(double, amount);
        QFETCH(QString, text);
        QFETCH(qint64, integer);
        query->RunCommand("insert into htfk (fkid,conid,fkje) values (1,1," + literal + ")");
        query->RunQuery("select * from htfk");
        QCOMPARE(query->amount("fkje"), amount);  // exactly the stored double
        QCOMPARE(query->text("fkje"), text);
        QCOMPARE(query->integer("fkje"), integer);

        query->RunCommand("insert into htfk (fkid,conid,fkje) values (2,1,0.1)");
        query->RunCommand("insert into htfk (fkid,conid,fkje) values (3,1,0.2)");
        query->RunQuery("select sum(fkje) as fkjesum from htfk where fkid>1");
        QCOMPARE(query->amount("fkjesum"), 0.1 + 0.2);
        QCOMPARE(query->text("fkjesum"), QStringLiteral("0.3"));
        query->RunQuery("select count(*) as a,max(fkid) as b from htfk");
        QCOMPARE(query->text("a"), QStringLiteral("3"));
        QCOMPARE(query->text("B"), QStringLiteral("3"));
    }

    // Units sort by pinyin, and empty values come first, as the supplier list shows them.
    void unitsSortInPinyinOrderEmptyFirst() {
        const QStringList names = {"张三", "阿里", "(null)", "上海", "北京", "", "广州", "a公司"};
        const QStringList regions = {"广东", "北京", "北京", "(null)", "北京", "广东", "广东", "上海"};
        for (int i = 0; i < names.size(); ++i) {
            const auto literal = [](const QString& text) {
                return text == "(null)" ? QStringLiteral("null") : sql::textLiteral(text);
            };
            query->RunCommand(QString("insert into ghdwinfo (id,dwmc,sdq) values (%1,%2,%3)")
                                  .arg(i + 1)
                                  .arg(literal(names[i]), literal(regions[i])));
        }
        QCOMPARE(texts("select * from ghdwinfo order by dwmc asc"),
                 (QStringList{"(null)", "", "阿里", "北京", "广州", "上海", "张三", "a公司"}));
        QCOMPARE(texts("select * from ghdwinfo order by sdq asc,dwmc asc"),
                 (QStringList{"上海", "(null)", "阿里", "北京", "", "广州", "张三", "a公司"}));
        QCOMPARE(texts("select * from ghdwinfo order by dwmc desc").first(), QStringLiteral("a公司"));
        QCOMPARE(texts("select * from ghdwinfo order by dwmc desc").last(), QStringLiteral("(null)"));
    }

    // Rows of a table come in the order of their keys when the statement names none, also
    // after a row was changed (which moves it on the server's disk).
    void rowsComeInKeyOrderAfterEdits() {
        for (int id : {5, 1, 3})
            query->RunCommand(QString("insert into infoset (id,infosty,infotext) values (%1,'htlb','类%1')").arg(id));
        query->RunCommand("update infoset set infotext='改' where id=1");
        QCOMPARE(keys("select * from infoset"), (QList<qint64>{1, 3, 5}));
        QCOMPARE(keys("select id from infoset where infosty='htlb'"), (QList<qint64>{1, 3, 5}));
        // A value that looks like a clause is only a value.
        QCOMPARE(keys("select id from infoset where infotext<>'x order by id desc'"), (QList<qint64>{1, 3, 5}));
    }

    void aServerThatCannotServeIsRefused_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("message");
        QTest::newRow("nobody listening") << "host=/tmp/vpg-nowhere connect_timeout=2" << "无法连接到服务器：";
        QTest::newRow("no such database") << "(server) dbname=nosuch" << "服务器上没有这个数据库：";
        QTest::newRow("empty database") << "(empty)"
                                        << "服务器上的数据库中没有合同数据表，不是合同数据库：";
        QTest::newRow("some tables missing") << "(partial)" << "服务器上的合同数据库缺少数据表：htfk、blobchunk";
    }
    void aServerThatCannotServeIsRefused() {
        QFETCH(QString, place);
        QFETCH(QString, message);
        ThrowawayServer& server = ThrowawayServer::instance();
        QString emptyDatabase;
        if (place.startsWith("(server)")) place.replace("(server)", server.connectionString());
        if (place == "(empty)" || place == "(partial)") {
            emptyDatabase = server.newDatabase();
            if (place == "(partial)") {
                ServerConnection connection(server.connectionString(emptyDatabase));
                for (const QString& table : {"htmain", "httext", "htsp", "htyj", "htqtyj", "infoset", "ghdwinfo"})
                    connection.execute("create table " + table + " (id bigint)");
            }
            place = server.connectionString(emptyDatabase);
        }
        query->RunCommand("insert into htfk (fkid,conid) values (1,1)");
        const QString error = errorOf([&] { query->connectToServer(place); });
        if (!emptyDatabase.isEmpty()) server.dropDatabase(emptyDatabase);
        QVERIFY2(error.startsWith(message), qPrintable(error));
        // Whatever the object pointed at, it still does.
        QCOMPARE(query->isOnServer(), data->onServer());
        QCOMPARE(count("htfk"), 1);
    }

    void textsComeBackAsTheyWereTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("apostrophes") << QStringLiteral("O'Brien's 合同''");
        QTest::newRow("CR LF lines") << QStringLiteral("第一行\r\n第二行\r\n\r\n");
        QTest::newRow("bare LF and CR") << QStringLiteral("a\nb\rc");
        QTest::newRow("statement inside") << QStringLiteral("x'); delete from htmain; --");
        QTest::newRow("backslashes and percent") << QStringLiteral("C:\\合同\\%d_%s");
        QTest::newRow("outside the basic plane") << QStringLiteral("𠀀𪚥 表");
        QTest::newRow("empty") << QString();
        QTest::newRow("long remark") << QString(200000, QChar(0x5907));
    }
    void textsComeBackAsTheyWereTyped() {
        QFETCH(QString, typed);
        query->RunCommand("insert into htmain (conid,concode,conname,cbdd) values (1,'0001'," +
                          sql::textLiteral(typed) + "," + sql::textLiteral(typed) + ")");
        query->RunQuery("select * from htmain where conid=1");
        QCOMPARE(query->text("conname"), typed);
        QCOMPARE(query->text("cbdd"), typed);
        QCOMPARE(count("htmain"), 1);
    }

    void aStatementDiscardsTheOpenResultSet() {
        query->RunCommand("insert into htfk (fkid,conid,fkname) values (1,1,'一')");
        query->RunCommand("insert into htfk (fkid,conid,fkname) values (2,1,'二')");
        query->RunQuery("select * from htfk");
        QCOMPARE(query->text("fkname"), QStringLiteral("一"));
        // A write while the rows are still being read: allowed, and the old rows are gone.
        query->RunCommand("delete from htfk where fkid=2");
        QCOMPARE(query->changes(), 1);
        QVERIFY(query->eof());
        QCOMPARE(errorOf([&] { query->text("fkname"); }), QStringLiteral("没有当前记录"));
        query->next();  // harmless at the end
        QCOMPARE(keys("select fkid from htfk"), QList<qint64>{1});
    }

    void onlyOneStatementRuns() {
        query->RunCommand("insert into htfk (fkid,conid) values (1,1);  \r\n");
        QVERIFY(errorOf([&] { query->RunCommand("delete from htfk where fkid=2; delete from htfk"); })
                    .contains(QStringLiteral("只能执行单条语句")));
        QVERIFY(errorOf([&] { query->RunQuery("select * from htfk; drop table htfk"); })
                    .contains(QStringLiteral("只能执行单条语句")));
        QCOMPARE(count("htfk"), 1);
    }

    void rowsAreCountedPerContract() {
        for (const auto& [id, conid] : QList<QPair<int, int>>{{1, 7}, {2, 7}, {3, 8}})
            query->RunCommand(QString("insert into htfk (fkid,conid) values (%1,%2)").arg(id).arg(conid));
        StatementLog log(*query);
        QCOMPARE(CountRows(*query, "htfk", 7), 2);
        QCOMPARE(CountRows(*query, "htfk", 9), 0);
        QCOMPARE(CountAllRows(*query, "htfk"), 3);
        QCOMPARE(log.statements, (QStringList{"select count(*) as a from htfk where conid=7",
                                              "select count(*) as a from htfk where conid=9",
                                              "select count(*) as a from htfk"}));
        QVERIFY(query->eof());  // closed after reading
    }

    void nextKeys_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::newRow("httext") << "httext" << "id";
        QTest::newRow("htfk") << "htfk" << "fkid";
        QTest::newRow("htsp") << "htsp" << "spid";
        QTest::newRow("htyj") << "htyj" << "htyjid";
        QTest::newRow("htqtyj") << "htqtyj" << "qtyjid";
        QTest::newRow("ghdwinfo") << "ghdwinfo" << "id";
    }
    void nextKeys() {
        QFETCH(QString, table);
        QFETCH(QString, key);
        const auto insert = [&](qint64 id) {
            query->RunCommand(QString("insert into %1 (%2) values (%3)").arg(table, key).arg(id));
        };
        StatementLog log(*query);
        QCOMPARE(NextId(*query, table, key), 1);
        QCOMPARE(log.statements.value(0), "select max(" + key + ") as a from " + table);
        insert(9);
        insert(10);  // 10 after 9: the largest by number, not by text
        insert(2);
        QCOMPARE(NextId(*query, table, key), 11);
        query->RunCommand(QString("delete from %1 where %2=10").arg(table, key));
        QCOMPARE(NextId(*query, table, key), 10);
        query->RunCommand(QString("delete from %1 where %2=2").arg(table, key));
        QCOMPARE(NextId(*query, table, key), 10);
        // Rows come back in the order of their keys without an ordering clause.
        insert(3);
        QCOMPARE(keys(QString("select %2 from %1").arg(table, key)), (QList<qint64>{3, 9}));
    }

    void aCommandHappensWholeOrNotAtAll() {
        query->RunCommand("insert into htfk (fkid,conid) values (1,1)");
        // The second statement fails: the first one must not stay behind.
        const QString error = errorOf([&] {
            Transaction command(*query);
            query->RunCommand("insert into htfk (fkid,conid) values (2,1)");
            query->RunCommand("insert into htfk (fkid,conid) values (1,1)");
            command.commit();
        });
        QVERIFY2(error.startsWith(QStringLiteral("数据违反了")), qPrintable(error));
        QCOMPARE(keys("select fkid from htfk"), QList<qint64>{1});

        {
            Transaction command(*query);
            query->RunCommand("insert into htfk (fkid,conid) values (2,1)");
            command.commit();
        }
        // Committed work is there for any other reader.
        data->executeOutside({"insert into htsp (spid,conid) select fkid,conid from htfk"});
        QCOMPARE(count("htsp"), 2);
    }

    void transactionsNest() {
        {
            Transaction outer(*query);
            query->RunCommand("insert into htfk (fkid,conid) values (1,1)");
            errorOf([&] {
                Transaction inner(*query);
                query->RunCommand("insert into htfk (fkid,conid) values (2,1)");
                throw AppError(QStringLiteral("中断"));
            });
            {
                Transaction inner(*query);
                query->RunCommand("insert into htfk (fkid,conid) values (3,1)");
                inner.commit();
            }
            QCOMPARE(keys("select fkid from htfk"), (QList<qint64>{1, 3}));
            outer.commit();
        }
        QCOMPARE(keys("select fkid from htfk"), (QList<qint64>{1, 3}));

        {
            Transaction outer(*query);
            Transaction inner(*query);
            query->RunCommand("delete from htfk");
            inner.commit();
        }  // the outer one never commits: the inner commit goes with it
        QCOMPARE(keys("select fkid from htfk"), (QList<qint64>{1, 3}));
    }

    void engineErrorsAreChineseWithTheEngineDetail_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("fileError");    // headline：detail, as the file's engine says
        QTest::addColumn<QString>("serverError");  // as the server says
        QTest::newRow("syntax") << "selec * from htmain" << "数据库语句执行出错：near \"selec\": syntax error"
                                << "数据库语句执行出错：ERROR:  syntax error at or near \"selec\"";
        QTest::newRow("no table") << "select * from htnone" << "数据库语句执行出错：no such table: htnone"
                                  << "数据库语句执行出错：ERROR:  relation \"htnone\" does not exist";
        QTest::newRow("no column") << "update htfk set nosuch=1" << "数据库语句执行出错：no such column: nosuch"
                                   << "数据库语句执行出错：ERROR:  column \"nosuch\" of relation \"htfk\" does not exist";
        QTest::newRow("duplicate key") << "insert into htfk (fkid) values (1)"
                                       << "数据违反了合同文件的约束：UNIQUE constraint failed: htfk.fkid"
                                       << "数据违反了数据库的约束：ERROR:  duplicate key value violates unique "
                                          "constraint \"htfk_pkey\"";
        QTest::newRow("held elsewhere") << "insert into htfk (fkid) values (5)"
                                        << "合同文件正被其他程序使用，请稍后再试：database is locked"
                                        << "数据正被其他用户使用，请稍后再试：ERROR:  canceling statement due to lock timeout";
    }
    void engineErrorsAreChineseWithTheEngineDetail() {
        QFETCH(QString, sql);
        QFETCH(QString, fileError);
        QFETCH(QString, serverError);
        query->RunCommand("insert into htfk (fkid) values (1)");
        sqlite3* other = nullptr;
        std::unique_ptr<ServerConnection> otherClerk;
        if (QByteArray(QTest::currentDataTag()) == "held elsewhere") {
            // Another program or clerk holds the data: the wait for it is bounded.
            if (data->onServer()) {
                otherClerk = std::make_unique<ServerConnection>(data->place());
                otherClerk->execute("begin");
                otherClerk->execute("lock table htfk in exclusive mode");
            } else {
                sqlite3_open_v2(data->place().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr);
                QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
            }
        }
        const QString error = errorOf([&] { query->RunCommand(sql); });
        sqlite3_close(other);
        otherClerk.reset();
        const QString expected = data->onServer() ? serverError : fileError;
        QVERIFY2(error.startsWith(expected), qPrintable(error + " / " + expected));
        // The object stays usable after a failed statement.
        QCOMPARE(count("htfk"), 1);
    }
};

QTEST_GUILESS_MAIN(DataAccessTest)
#include "tst_dataaccess.moc"
