// Several clerks on one database: writes one at a time under the database's lock, keys and
// codes taken inside it, a save over another clerk's newer save refused, and a change of
// the contracts heard by the other clerks' trees.
#include <QLineEdit>
#include <QtTest>

#include <atomic>
#include <thread>

#include "AppError.h"
#include "CommandGuard.h"
#include "ContractCode.h"
#include "ContractCodesInFile.h"
#include "ContractInfoPage.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "ContractTreeFixture.h"
#include "EngineFixture.h"
#include "RecordAccess.h"
#include "RowVersion.h"
#include "ScriptedDesktop.h"
#include "ServerConnection.h"
#include "ServerListener.h"
#include "Transaction.h"

namespace {

const QDate kToday(2026, 12, 11);

// One clerk's add, as the command writes it.
using Add = std::function<void(ContractQuery&)>;

void addTopLevelContract(ContractQuery& query) {
    Transaction transaction(query);
    InsertContractRow(query, FormatCodeSegment(LargestTopLevelNumberInFile(query) + 1), kToday);
    transaction.commit();
}

void addSubContract(ContractQuery& query) {
    Transaction transaction(query);
    InsertContractRow(query, *FirstFreeChildCodeInFile(query, QStringLiteral("0002")), kToday);
    transaction.commit();
}

void addPayment(ContractQuery& query) {
    InsertWithNextId(query, QStringLiteral("htfk"), QStringLiteral("fkid"), [](qint64 id) {
        return QStringLiteral("insert into htfk (fkid,conid,fkname) values (%1,1,'付款')").arg(id);
    });
}

qint64 number(ContractQuery& query, const QString& sql) {
    query.RunQuery(sql);
    const qint64 value = query.integer("n");
    query.close();
    return value;
}

QString text(ContractQuery& query, const QString& sql) {
    query.RunQuery(sql);
    const QString value = query.eof() ? QString() : query.text("t");
    query.close();
    return value;
}

}  // namespace

class TeamWritingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<EngineFixture> data;

  private Q_SLOTS:
    void init() {
        data = std::make_unique<EngineFixture>(Engine::Server);
        data->executeOutside({"insert into htmain (conid,concode,conname) values (1,'0002','甲')"});
    }
    void cleanup() { data.reset(); }

    // Two clerks add at the same moment, many times over: no id and no code twice, and
    // no add refused for a key another took.
    void simultaneousAddsNeverShareAnIdOrCode_data() {
        QTest::addColumn<Add>("add");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("check");  // counts the distinct values that must differ
        QTest::newRow("contracts") << Add(addTopLevelContract) << "htmain"
                                   << "count(distinct conid) + count(distinct concode)";
        QTest::newRow("sub-contracts") << Add(addSubContract) << "htmain"
                                       << "count(distinct conid) + count(distinct concode)";
        QTest::newRow("payments") << Add(addPayment) << "htfk" << "2 * count(distinct fkid)";
    }
    void simultaneousAddsNeverShareAnIdOrCode() {
        QFETCH(Add, add);
        QFETCH(QString, table);
        QFETCH(QString, check);
        constexpr int kRounds = 150;
        std::atomic<int> failures{0};
        QString firstFailure;
        auto clerk = [&](ContractQuery* query) {
            for (int i = 0; i < kRounds; ++i) {
                try {
                    add(*query);
                } catch (const AppError& error) {
                    if (failures++ == 0) firstFailure = error.text();
                }
            }
        };
        const auto first = data->openQuery();
        const auto second = data->openQuery();
        std::thread one(clerk, first.get());
        std::thread two(clerk, second.get());
        one.join();
        two.join();

        QVERIFY2(failures == 0, qPrintable(firstFailure));
        const qint64 rows = number(*first, QStringLiteral("select count(*) as n from ") + table);
        QCOMPARE(rows, table == "htmain" ? 2 * kRounds + 1 : 2 * kRounds);
        QCOMPARE(number(*first, QStringLiteral("select ") + check + " as n from " + table), 2 * rows);
    }

    // The information page saves only over the row it showed; another clerk's save in
    // between is kept and this one refused with nothing written. Shown again, it saves.
    void saveOverAnotherClerksSaveIsRefused() {
        const auto mine = data->openQuery();
        ScriptedDesktop desktop;
        ContractInfoPage page(*mine, desktop);
        page.LoadContractRecord(1);
        data->executeOutside({"update htmain set jiafang='别人写的' where conid=1"});

        page.findChild<QLineEdit*>(QStringLiteral("Edit3"))->setText(QStringLiteral("我写的"));
        try {
            page.saveContractRecord(1);
            QFAIL("the save went through");
        } catch (const AppError& error) {
            QCOMPARE(error.headline(), QStringLiteral("该记录已被其他用户修改，请重新载入后再保存"));
        }
        QCOMPARE(text(*mine, "select jiafang as t from htmain where conid=1"),
                 QStringLiteral("别人写的"));

        page.LoadContractRecord(1);
        page.findChild<QLineEdit*>(QStringLiteral("Edit3"))->setText(QStringLiteral("我写的"));
        QVERIFY(page.saveContractRecord(1));
        QVERIFY(page.saveContractRecord(1));  // and again: it goes on from its own save
        QCOMPARE(text(*mine, "select jiafang as t from htmain where conid=1"),
                 QStringLiteral("我写的"));
    }

    // A rename in the clerk's own tree makes a new version of the row the page shows; the
    // page goes on from it, and its next save is not taken for a conflict.
    void ownRenameIsNoConflict() {
        const auto mine = data->openQuery();
        ScriptedDesktop desktop;
        ContractInfoPage page(*mine, desktop);
        page.LoadContractRecord(1);
        mine->RunCommand(QStringLiteral("update htmain set conname='改名' where conid=1"));
        page.setContractName(QStringLiteral("改名"));
        QVERIFY(page.saveContractRecord(1));
    }

    // A version guards the rows of every table a clerk edits, and one save taken by two
    // clerks at once leaves exactly one of them written.
    void versionsGuardEveryEditedTable_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("column");
        QTest::newRow("payments") << "htfk" << "fkid" << "fkname";
        QTest::newRow("claims") << "htsp" << "spid" << "spname";
        QTest::newRow("suppliers") << "ghdwinfo" << "id" << "dwmc";
        QTest::newRow("contract scans") << "htyj" << "htyjid" << "htyjname";
        QTest::newRow("other scans") << "htqtyj" << "qtyjid" << "qtyjname";
    }
    void versionsGuardEveryEditedTable() {
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(QString, column);
        data->executeOutside({QStringLiteral("insert into %1 (%2) values (7)").arg(table, key)});
        const auto first = data->openQuery();
        const auto second = data->openQuery();
        const auto shownTo = [&](ContractQuery& query) {
            query.RunQuery(QStringLiteral("select * from %1 where %2=7").arg(table, key));
            const RowVersion version = RowVersion::ofCurrentRow(query, 7);
            query.close();
            return version;
        };
        RowVersion firstShown = shownTo(*first);
        RowVersion secondShown = shownTo(*second);
        const QString update = QStringLiteral("update %1 set %2='%3' where %4=7");
        QCOMPARE(firstShown.update(*first, 7, update.arg(table, column, "一", key)), 1);
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 secondShown.update(*second, 7, update.arg(table, column, "二", key)));
        QCOMPARE(text(*second, QStringLiteral("select %1 as t from %2 where %3=7").arg(column, table, key)),
                 QStringLiteral("一"));
    }

    // Another clerk's change reaches this clerk's tree within a second, through the
    // server's notice; the clerk's own changes are not announced back to it.
    void anotherClerksChangeReachesTheTree() {
        const auto mine = data->openQuery();
        ScriptedDesktop desktop;
        QWidget host;
        CommandGuard guard(desktop, &host);
        ContractTree tree(*mine, desktop, guard, &host);
        tree.LoadContractTree();
        int heard = 0;
        ServerListener listener(data->place(), [&] { return mine->server().backendPid(); });
        connect(&listener, &ServerListener::contractsChanged, this, [&] {
            ++heard;
            tree.followFile();
        });

        data->executeOutside({"insert into htmain (conid,concode,conname) values (2,'0003','乙')",
                              "update htmain set conname='甲方合同' where conid=1"});
        QTRY_COMPARE_WITH_TIMEOUT(treeTexts(tree.view()), (QStringList{"甲方合同", "乙"}), 1000);

        heard = 0;
        mine->RunCommand(QStringLiteral("update htmain set conname='自己改的' where conid=2"));
        QTest::qWait(400);
        QCOMPARE(heard, 0);
        // A rolled-back change is never announced.
        {
            ServerConnection other(data->place());
            other.execute(QStringLiteral("begin"));
            other.execute(QStringLiteral("delete from htmain"));
            other.rollback();
        }
        QTest::qWait(400);
        QCOMPARE(heard, 0);
    }
};

QTEST_MAIN(TeamWritingTest)
#include "tst_teamwriting.moc"
