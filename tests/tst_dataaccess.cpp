// The query object and what is built on it: statements and their result set, values
// read by kind, literals through the engine, counting rows, new keys, transactions and
// the engine's errors in Chinese.
#include <sqlite3.h>

#include <QtTest>

#include "AppError.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "RecordAccess.h"
#include "SqlLiteral.h"
#include "Transaction.h"

namespace {

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AppError& error) {
        return error.text();
    }
    return QStringLiteral("(no error)");
}

}  // namespace

class DataAccessTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    QString file;
    std::unique_ptr<ContractQuery> query;

    int count(const QString& table) { return CountAllRows(*query, table); }
    QList<qint64> keys(const QString& sql) {
        QList<qint64> seen;
        for (query->RunQuery(sql); !query->eof(); query->next()) seen << query->integerAt(0);
        return seen;
    }

private Q_SLOTS:
    void init() {
        files = std::make_unique<ContractFileFixture>();
        file = files->newContractFile();
        query = std::make_unique<ContractQuery>();
        query->setContractFile(file);
    }
    void cleanup() {
        query.reset();
        files.reset();
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
        QCOMPARE(errorOf([&] { query->text("nosuch"); }), QStringLiteral("合同文件中缺少数据列：nosuch"));

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
        QVERIFY2(error.startsWith(QStringLiteral("数据违反了合同文件的约束")), qPrintable(error));
        QCOMPARE(keys("select fkid from htfk"), QList<qint64>{1});

        {
            Transaction command(*query);
            query->RunCommand("insert into htfk (fkid,conid) values (2,1)");
            command.commit();
        }
        // Committed work is in the file for any other reader.
        ContractFileFixture::execute(file, {"insert into htsp (spid,conid) select fkid,conid from htfk"});
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
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("detail");
        QTest::newRow("syntax") << "selec * from htmain" << "数据库语句执行出错" << "syntax error";
        QTest::newRow("no table") << "select * from htnone" << "数据库语句执行出错" << "no such table: htnone";
        QTest::newRow("no column") << "update htfk set nosuch=1" << "数据库语句执行出错" << "no such column: nosuch";
        QTest::newRow("duplicate key") << "insert into htfk (fkid) values (1)" << "数据违反了合同文件的约束"
                                       << "UNIQUE constraint failed: htfk.fkid";
        QTest::newRow("file in use") << "insert into htfk (fkid) values (5)"
                                     << "合同文件正被其他程序使用，请稍后再试" << "database is locked";
    }
    void engineErrorsAreChineseWithTheEngineDetail() {
        QFETCH(QString, sql);
        QFETCH(QString, headline);
        QFETCH(QString, detail);
        query->RunCommand("insert into htfk (fkid) values (1)");
        sqlite3* other = nullptr;
        if (QByteArray(QTest::currentDataTag()) == "file in use") {
            // Another program holds the file: the wait for it is bounded by the busy timeout.
            sqlite3_open_v2(file.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr);
            QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        const QString error = errorOf([&] { query->RunCommand(sql); });
        sqlite3_close(other);
        QVERIFY2(error.startsWith(headline + QStringLiteral("：")), qPrintable(error));
        QVERIFY2(error.contains(detail), qPrintable(error));
        // The object stays usable after a failed statement.
        QCOMPARE(count("htfk"), 1);
    }
};

QTEST_GUILESS_MAIN(DataAccessTest)
#include "tst_dataaccess.moc"
