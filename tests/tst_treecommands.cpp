// The commands that change the hierarchy: the codes they give, the rows they write or
// remove, their refusals, and the data left as it was when one of them fails; on a contract
// file and on a server.
#include <QtTest>

#include "ContractTreeFixture.h"

using Fixture = ContractTreeFixture;

namespace {

const QStringList kDependentTables = {"htfk", "htqtyj", "htsp", "httext", "htyj"};
const QStringList kDependentKeys = {"fkid", "qtyjid", "spid", "id", "htyjid"};

// One row in every dependent table for each contract id, keyed by that id.
QStringList dependentRows(const QList<int>& ids) {
    QStringList statements;
    for (int id : ids)
        for (int t = 0; t < kDependentTables.size(); ++t)
            statements << QStringLiteral("insert into %1 (%2,conid) values (%3,%3)")
                              .arg(kDependentTables[t], kDependentKeys[t])
                              .arg(id);
    return statements;
}

// The contract ids that still have rows in any dependent table.
QList<int> idsWithDependentRows(Fixture& f) {
    QList<int> ids;
    for (const QString& table : kDependentTables)
        for (f.query.RunQuery(QStringLiteral("select distinct conid from ") + table);
             !f.query.eof(); f.query.next())
            if (!ids.contains(int(f.query.integer("conid")))) ids << int(f.query.integer("conid"));
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Runs a command the way the menu does: inside the guard.
void run(Fixture& f, void (ContractTree::*command)()) {
    f.guard.run([&] { (f.tree.get()->*command)(); });
}

void checkRefused(Fixture& f, const QString& text) {
    QCOMPARE(f.desktop.messages.size(), 1);
    QCOMPARE(f.desktop.lastMessage().text, text);
    QCOMPARE(f.desktop.lastMessage().title, QStringLiteral("提示"));
    QCOMPARE(f.desktop.lastMessage().icon, MessageIcon::Warning);
    QCOMPARE(f.desktop.lastMessage().buttons, MessageButtons::Ok);
}

// The tree holds what the file holds and nothing is selected: how every command ends.
void checkRebuilt(Fixture& f) {
    QCOMPARE(f.nodeListContracts(), f.fileContracts());
    QCOMPARE(f.tree->selectedRecord(), nullptr);
}

}  // namespace

class TreeCommandsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void addContract_data() {
        QTest::addColumn<QStringList>("seed");
        QTest::addColumn<QString>("added");  // "id:code"
        QTest::newRow("empty file") << QStringList() << "1:0002";
        QTest::newRow("after 0001") << Fixture::contracts({"0001"}) << "2:0002";
        QTest::newRow("largest plus one, gaps not reused")
            << Fixture::contracts({"0002", "0005"}) << "3:0006";
        QTest::newRow("largest id plus one")
            << QStringList{Fixture::contract(7, "0002"), Fixture::contract(3, "0004")} << "8:0005";
        QTest::newRow("a branch without its top row counts")
            << Fixture::contracts({"0002", "00070002"}) << "3:0008";
        QTest::newRow("stray codes are passed over")
            << Fixture::contracts({"0002", "ABCD", "12"}) << "4:0003";
    }
    void addContract() {
        QFETCH(QStringList, seed);
        QFETCH(QString, added);
        Fixture f(seed);
        const QStringList before = f.fileContracts();
        run(f, &ContractTree::addContract);

        QCOMPARE(f.desktop.messages.size(), 0);
        QCOMPARE(f.fileContracts(), QStringList(before) << added);
        checkRebuilt(f);
        QVERIFY(f.expandedCodes().isEmpty());
        f.query.RunQuery(QStringLiteral("select * from htmain where conid=") +
                         added.section(':', 0, 0));
        QCOMPARE(f.query.text("conname"), QStringLiteral("新合同"));
        for (const char* column : {"kgrq", "jgrq", "cprq", "qdrq", "yfkrq", "jsrq", "gdrq"})
            QCOMPARE(f.query.text(column), QStringLiteral("2026-03-15"));
        QVERIFY(f.query.isNull("showcode"));
    }

    void addSubContract_data() {
        QTest::addColumn<QStringList>("seed");
        QTest::addColumn<QString>("added");
        QTest::newRow("first child") << Fixture::contracts({"0002"}) << "2:00020002";
        QTest::newRow("smallest free number")
            << Fixture::contracts({"0002", "00020002", "00020004"}) << "4:00020003";
        QTest::newRow("number used by a branch without its row")
            << Fixture::contracts({"0002", "00020002", "000200030005"}) << "4:00020004";
    }
    void addSubContract() {
        QFETCH(QStringList, seed);
        QFETCH(QString, added);
        Fixture f(seed);
        const QStringList before = f.fileContracts();
        f.select("0002");
        run(f, &ContractTree::addSubContract);

        QCOMPARE(f.desktop.messages.size(), 0);
        QCOMPARE(f.fileContracts(), QStringList(before) << added);
        checkRebuilt(f);
        QVERIFY(f.expandedCodes().contains(QStringLiteral("0002")));
    }

    // Each refusal shows its message and writes nothing.
    void refusals_data() {
        QTest::addColumn<QStringList>("seed");
        QTest::addColumn<QString>("selected");  // empty: nothing selected
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        const QStringList fullTop = {Fixture::siblings(QString(), 2, 9999, 1),
                                     Fixture::contract(10000, "99990002")};
        const QStringList fullUnder2 = {Fixture::contract(1, "0002"),
                                        Fixture::siblings("0002", 2, 9999, 2),
                                        Fixture::contract(10001, "0003")};
        QTest::newRow("sub-contract, nothing selected") << Fixture::contracts({"0002"}) << ""
                                                        << "sub"
                                                        << "请选择选择一个合同";
        QTest::newRow("delete, nothing selected") << Fixture::contracts({"0002"}) << ""
                                                  << "delete"
                                                  << "请选择选择一个合同，然后再删除";
        QTest::newRow("independent, nothing selected") << Fixture::contracts({"0002"}) << ""
                                                       << "independent"
                                                       << "请选择选择一个合同，然后再设置";
        QTest::newRow("top level full") << fullTop << ""
                                        << "add"
                                        << "顶层合同的编号已用到9999，无法再添加合同";
        QTest::newRow("top level full, independent")
            << fullTop << "99990002"
            << "independent"
            << "顶层合同的编号已用到9999，无法设置为独立合同";
        QTest::newRow("level full") << fullUnder2 << "0002"
                                    << "sub"
                                    << "所选合同的子合同编号已用到9999，无法再添加子合同";
        QTest::newRow("level full, drop") << fullUnder2 << "0003"
                                          << "drop on 0002"
                                          << "目标合同的子合同编号已用到9999，无法把合同移到它下面";
        QTest::newRow("parent code not whole segments")
            << Fixture::contracts({"0002", "00021"}) << "00021"
            << "sub"
            << "所选合同的编号不完整，不能在它下面添加子合同";
        QTest::newRow("drop target code not whole segments")
            << Fixture::contracts({"0002", "00021", "0003"}) << "0003"
            << "drop on 00021"
            << "目标合同的编号不完整，不能把合同移到它下面";
    }
    void refusals() {
        QFETCH(QStringList, seed);
        QFETCH(QString, selected);
        QFETCH(QString, command);
        QFETCH(QString, message);
        Fixture f(seed);
        const QByteArray before = f.everything();
        if (!selected.isEmpty()) f.select(selected);
        if (command == "add") run(f, &ContractTree::addContract);
        if (command == "sub") run(f, &ContractTree::addSubContract);
        if (command == "delete") run(f, &ContractTree::deleteContract);
        if (command == "independent") run(f, &ContractTree::makeIndependent);
        if (command.startsWith("drop on ")) f.tree->TreeView1EndDrag(f.node(command.mid(8)));
        checkRefused(f, message);
        QCOMPARE(f.everything(), before);
    }

    void deleteTakesTheBranchWithItsRows_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QList<int>>("left");
        QTest::addColumn<QStringList>("expanded");
        // 1:0002  2:00020002  3:000200020002  4:0002000200020002  5:00020003  6:0003
        QTest::newRow("branch") << "00020002"
                                << "将删除当前合同 合同2 及其子合同，是否继续？"
                                << QList<int>{1, 5, 6} << QStringList{"0002"};
        QTest::newRow("leaf") << "00020003"
                              << "将删除当前合同 合同5 ，是否继续？" << QList<int>{1, 2, 3, 4, 6}
                              << QStringList{"0002", "00020002", "000200020002"};
        QTest::newRow("top level")
            << "0002"
            << "将删除当前合同 合同1 及其子合同，是否继续？" << QList<int>{6} << QStringList();
    }
    void deleteTakesTheBranchWithItsRows() {
        QFETCH(QString, selected);
        QFETCH(QString, question);
        QFETCH(QList<int>, left);
        QFETCH(QStringList, expanded);
        Fixture f(Fixture::contracts({"0002", "00020002", "000200020002", "0002000200020002",
                                      "00020003", "0003"}) +
                  dependentRows({1, 2, 3, 4, 5, 6}));
        f.select(selected);
        run(f, &ContractTree::deleteContract);

        QCOMPARE(f.desktop.messages.size(), 1);
        const MessageRequest& asked = f.desktop.lastMessage();
        QCOMPARE(asked.text, question);
        QCOMPARE(asked.title, QStringLiteral("提示"));
        QCOMPARE(asked.icon, MessageIcon::Warning);
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QStringList rows;
        for (const QString& row : f.fileContracts()) rows << row.section(':', 0, 0);
        QList<int> ids;
        for (const QString& id : rows) ids << id.toInt();
        QCOMPARE(ids, left);
        QCOMPARE(idsWithDependentRows(f), left);
        checkRebuilt(f);
        QCOMPARE(f.expandedCodes(), expanded);
    }

    void declinedDeleteWritesNothing() {
        Fixture f(Fixture::contracts({"0002", "00020002"}));
        const QByteArray before = f.everything();
        f.select("0002");
        f.desktop.answers.enqueue(MessageAnswer::No);
        run(f, &ContractTree::deleteContract);
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.everything(), before);
        QCOMPARE(f.shape(), QStringLiteral("0002(00020002)"));
    }

    void rowSharingTheCodeIsAnotherContract() {
        // Two rows with one code are two contracts: deleting or moving the one selected
        // leaves the other where it is.
        Fixture f({Fixture::contract(1, "0002"), Fixture::contract(2, "0002"),
                   Fixture::contract(3, "0003")});
        f.view()->setCurrentItem(f.view()->topLevelItem(1));
        run(f, &ContractTree::deleteContract);
        QCOMPARE(f.fileContracts(), QStringList({"1:0002", "3:0003"}));

        f.data.executeOutside({Fixture::contract(2, "0002")});
        f.tree->LoadContractTree();
        f.view()->setCurrentItem(f.view()->topLevelItem(1));
        f.tree->TreeView1EndDrag(f.node("0003"));
        QCOMPARE(f.fileContracts(), QStringList({"1:0002", "2:00030002", "3:0003"}));
    }

    void idsBeyond32BitsKeepTheirWidth() {
        // 4294967297 is 1 in its lower 32 bits: contract 1 must not be touched for it.
        const qint64 big = (qint64(1) << 32) + 1;
        Fixture f({Fixture::contract(1, "0001"), Fixture::contract(big, "0002"),
                   Fixture::contract(big + 1, "00020002"),
                   QStringLiteral("insert into htfk (fkid,conid) values (1,1)"),
                   QStringLiteral("insert into htfk (fkid,conid) values (2,%1)").arg(big)});
        f.select("0002");
        QCOMPARE(f.tree->selectedRecord()->contractId, big);

        run(f, &ContractTree::addSubContract);
        f.select("00020002");
        f.guard.run([&] { f.tree->TreeView1EndDrag(f.node("0001")); });
        QCOMPARE(f.fileContracts(), QStringList({"1:0001", "4294967297:0002", "4294967298:00010002",
                                                 "4294967299:00020003"}));

        f.select("0002");
        run(f, &ContractTree::deleteContract);
        QCOMPARE(f.desktop.messages.size(), 1);  // the question only
        QCOMPARE(f.fileContracts(), QStringList({"1:0001", "4294967298:00010002"}));
        QCOMPARE(idsWithDependentRows(f), QList<int>{1});
        checkRebuilt(f);
    }

    void move_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");  // empty: released outside the tree
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("expanded");
        // 1:0002  2:00020002  3:000200020002  4:00020003  5:0003  6:00030002  7:0004
        const QStringList unchanged = {"1:0002", "2:00020002", "3:000200020002", "4:00020003",
                                       "5:0003", "6:00030002", "7:0004"};
        QTest::newRow("onto itself") << "00020002"
                                     << "00020002" << unchanged << QStringList();
        QTest::newRow("onto its own child") << "00020002"
                                            << "000200020002" << unchanged << QStringList();
        QTest::newRow("outside the tree") << "00020002"
                                          << "" << unchanged << QStringList();
        QTest::newRow("onto its own parent")
            << "00020002"
            << "0002" << QStringList{"1:0002", "2:00020004", "3:000200040002", "4:00020003",
                                     "5:0003", "6:00030002", "7:0004"}
            << QStringList{"0002", "00020004"};
        QTest::newRow("onto another contract")
            << "00020002"
            << "0003" << QStringList{"1:0002", "2:00030003", "3:000300030002", "4:00020003",
                                     "5:0003", "6:00030002", "7:0004"}
            << QStringList{"0003", "00030003"};
        QTest::newRow("top level below a sub-contract")
            << "0004"
            << "00020003" << QStringList{"1:0002", "2:00020002", "3:000200020002", "4:00020003",
                                         "5:0003", "6:00030002", "7:000200030002"}
            << QStringList{"0002", "00020002", "00020003"};
    }
    void move() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, expanded);
        Fixture f(Fixture::contracts(
            {"0002", "00020002", "000200020002", "00020003", "0003", "00030002", "0004"}));
        f.select(source);
        f.guard.run([&] { f.tree->TreeView1EndDrag(target.isEmpty() ? nullptr : f.node(target)); });

        QCOMPARE(f.desktop.messages.size(), 0);
        QCOMPARE(f.fileContracts(), codes);
        QCOMPARE(f.nodeListContracts(), f.fileContracts());
        QCOMPARE(f.expandedCodes(), expanded);
        for (const auto& record : f.tree->NodeList()) QVERIFY(record->recodeMark.isEmpty());
    }

    void makeIndependent_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QStringList>("codes");
        // 1:0002  2:00020002  3:000200020002  4:0004
        QTest::newRow("smallest free top-level number")
            << "00020002" << QStringList{"1:0002", "2:0003", "3:00030002", "4:0004"};
        QTest::newRow("already top level")
            << "0004" << QStringList{"1:0002", "2:00020002", "3:000200020002", "4:0004"};
    }
    void makeIndependent() {
        QFETCH(QString, selected);
        QFETCH(QStringList, codes);
        Fixture f(Fixture::contracts({"0002", "00020002", "000200020002", "0004"}));
        f.select(selected);
        run(f, &ContractTree::makeIndependent);
        QCOMPARE(f.desktop.messages.size(), 0);
        QCOMPARE(f.fileContracts(), codes);
        QCOMPARE(f.nodeListContracts(), f.fileContracts());
    }

    // A statement that fails half way through a branch leaves the data as it was before
    // the command, the error shown, and the tree rebuilt from what is stored.
    void failureHalfWayLeavesTheFileAsItWas_data() {
        QTest::addColumn<QString>("table");  // refusing a change of contract 3's rows
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("command");
        QTest::newRow("delete") << "htsp"
                                << "delete"
                                << "delete";
        QTest::newRow("move") << "htmain"
                              << "update of concode"
                              << "move";
        QTest::newRow("independent") << "htmain"
                                     << "update of concode"
                                     << "independent";
    }
    void failureHalfWayLeavesTheFileAsItWas() {
        QFETCH(QString, table);
        QFETCH(QString, change);
        QFETCH(QString, command);
        Fixture f(
            Fixture::contracts({"0002", "00020002", "000200020002", "0002000200020002", "0003"}) +
            dependentRows({1, 2, 3, 4, 5}));
        f.data.refuseChanges(table, change, QStringLiteral("磁盘故障"),
                             QStringLiteral("old.conid=3"));
        const QStringList before = f.fileRows();
        f.select("00020002");
        if (command == "delete") run(f, &ContractTree::deleteContract);
        if (command == "move") f.guard.run([&] { f.tree->TreeView1EndDrag(f.node("0003")); });
        if (command == "independent") run(f, &ContractTree::makeIndependent);

        QCOMPARE(f.desktop.lastMessage().icon, MessageIcon::Error);
        QVERIFY(f.desktop.lastMessage().text.contains(QStringLiteral("磁盘故障")));
        QCOMPARE(f.fileRows(), before);
        checkRebuilt(f);
        QCOMPARE(f.shape(), QStringLiteral("0002(00020002(000200020002(0002000200020002))) 0003"));
    }
};

QTEST_MAIN(TreeCommandsTest)
#include "tst_treecommands.moc"
