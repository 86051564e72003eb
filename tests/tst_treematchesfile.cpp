// After every command that changes the hierarchy, the tree is changed in place rather than
// loaded again; it must then show node for node what a fresh load of the file shows: the
// same nodes in the same order and places, texts, pictures and records, nothing selected,
// and only the branches the command opens expanded. The seed holds what the loader has to
// place with care: rows sharing a code, branches without their top row, codes that are not
// whole segments, and ids beyond 32 bits.
#include <QtTest>

#include "ContractTreeFixture.h"

using Fixture = ContractTreeFixture;

namespace {

QStringList seed() {
    return {
        Fixture::contract(1, "0002"),
        Fixture::contract(2, "00020002"),
        Fixture::contract(3, "000200020002"),
        Fixture::contract(4, "00020003"),
        Fixture::contract(5, "0003"),  // two rows with one code: the first takes the children
        Fixture::contract(6, "0003"),
        Fixture::contract(7, "00030002"),
        Fixture::contract(8, "000300020002"),
        Fixture::contract(9, "00030002"),
        Fixture::contract(10, "000312"),             // not whole segments: never a parent
        Fixture::contract(11, "000700020002"),       // its top rows are missing
        Fixture::contract(12, "00070003"),
        Fixture::contract(13, "ABCD"),
        Fixture::contract(14, "12"),
        Fixture::contract(4294967298, "00040002"),  // top row missing, id beyond 32 bits
        Fixture::contract(15, "0004"),
    };
}

// The code of the contract in the file, or empty.
QString codeInFile(Fixture& f, qint64 id) {
    f.query.RunQuery(QStringLiteral("select concode from htmain where conid=%1").arg(id));
    const QString code = f.query.eof() ? QString() : f.query.text("concode");
    f.query.close();
    return code;
}

qint64 largestId(Fixture& f) {
    f.query.RunQuery(QStringLiteral("select max(conid) as id from htmain"));
    const qint64 id = f.query.integer("id");
    f.query.close();
    return id;
}

void select(Fixture& f, qint64 id) {
    QTreeWidgetItem* node = f.nodeOfId(id);
    QVERIFY2(node, qPrintable(QStringLiteral("no node for id %1").arg(id)));
    f.view()->setCurrentItem(node);
}

// Runs one step of a script such as "drop 5 on 0002" and gives the code whose branches a
// fresh load must open to match it; nullopt for steps that keep the view as it is.
std::optional<QString> runStep(Fixture& f, const QString& step) {
    const QStringList words = step.split(QLatin1Char(' '));
    const QString& verb = words[0];
    const qint64 id = words.size() > 1 ? words[1].toLongLong() : 0;
    if (verb == "add") {
        f.guard.run([&] { f.tree->addContract(); });
        return QString();
    }
    if (verb == "sub") {
        select(f, id);
        f.guard.run([&] { f.tree->addSubContract(); });
        return codeInFile(f, largestId(f));
    }
    if (verb == "delete") {
        select(f, id);
        const QTreeWidgetItem* parent = f.nodeOfId(id)->parent();
        const QString parentCode = parent ? ContractNode::recordOf(parent)->contractCode : QString();
        f.guard.run([&] { f.tree->deleteContract(); });
        return parentCode;
    }
    if (verb == "drop") {
        select(f, id);
        f.guard.run([&] { f.tree->TreeView1EndDrag(f.node(words[3])); });
        return codeInFile(f, id);
    }
    if (verb == "independent") {
        select(f, id);
        f.guard.run([&] { f.tree->makeIndependent(); });
        return codeInFile(f, id);
    }
    if (verb == "rename") {
        f.guard.run([&] { f.tree->TreeView1Edited(f.nodeOfId(id), words[2]); });
        return std::nullopt;
    }
    if (verb == "expand-all") {
        f.tree->expandAll();
        f.tree->UpdateNodeImages();  // as the next mouse release does
        return std::nullopt;
    }
    if (verb == "collapse-all") {
        f.tree->collapseAll();
        return std::nullopt;
    }
    qFatal("unknown step %s", qPrintable(step));
}

}  // namespace

class TreeMatchesFileTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void afterEveryStep_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("add, twice") << QStringList{"add", "add"};
        QTest::newRow("sub-contracts below the top, a branch and a duplicate")
            << QStringList{"sub 1", "sub 2", "sub 5", "sub 6", "sub 9"};
        QTest::newRow("sub-contract below a branch without its top row")
            << QStringList{"sub 11", "sub 4294967298"};
        QTest::newRow("delete a branch") << QStringList{"delete 2"};
        QTest::newRow("delete the first of two rows with one code")
            << QStringList{"delete 5", "sub 6"};
        QTest::newRow("delete the second of two rows with one code") << QStringList{"delete 6"};
        QTest::newRow("delete a duplicate below, then its twin")
            << QStringList{"delete 7", "delete 9"};
        QTest::newRow("delete strays and orphans")
            << QStringList{"delete 10", "delete 13", "delete 11", "delete 4294967298"};
        QTest::newRow("drop a branch on another contract") << QStringList{"drop 2 on 0003"};
        QTest::newRow("drop on the own parent") << QStringList{"drop 2 on 0002"};
        QTest::newRow("drop the first duplicate, its twin stays")
            << QStringList{"drop 5 on 0002", "sub 6"};
        QTest::newRow("drop onto a branch without its top row")
            << QStringList{"drop 4 on 00070003"};
        QTest::newRow("drop a stray and an orphan")
            << QStringList{"drop 10 on 0002", "drop 11 on 0004"};
        QTest::newRow("make independent") << QStringList{"independent 3", "independent 8"};
        QTest::newRow("rename, then a command") << QStringList{"rename 3 改名", "sub 3"};
        QTest::newRow("expanded and pictured tree, then commands")
            << QStringList{"expand-all", "add", "expand-all", "drop 2 on 0003", "expand-all",
                           "delete 1", "collapse-all", "sub 5"};
        QTest::newRow("a working day")
            << QStringList{"add",          "sub 1",          "sub 1",         "drop 4 on 0003",
                           "independent 2", "delete 6",      "rename 7 甲方", "add",
                           "drop 5 on 0005", "independent 3", "delete 1",     "sub 15"};
    }
    void afterEveryStep() {
        QFETCH(QStringList, steps);
        Fixture f(seed());
        for (const QString& step : steps) {
            const std::optional<QString> opened = runStep(f, step);
            QVERIFY2(f.desktop.messages.size() <= 1 || step.startsWith("delete"),
                     qPrintable(step));
            QCOMPARE(f.nodeListContracts(), f.fileContracts());
            if (opened)
                QCOMPARE(Fixture::snapshot(*f.tree), f.freshLoad(*opened));
            else
                QCOMPARE(Fixture::snapshot(*f.tree, false), f.freshLoad(QString(), false));
            f.desktop.messages.clear();
        }
    }

    // A command that fails half way leaves the file as it was, and the tree as the file is.
    void failedCommandLeavesTheTreeAsTheFileIs_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("delete") << "delete 5";
        QTest::newRow("drop") << "drop 5 on 0002";
        QTest::newRow("independent") << "independent 7";
    }
    void failedCommandLeavesTheTreeAsTheFileIs() {
        QFETCH(QString, step);
        Fixture f(seed());
        for (const char* change : {"delete", "update of concode"})
            f.data.refuseChanges("htmain", change, "磁盘故障", "old.conid=8");
        const QStringList before = f.fileRows();
        f.tree->expandAll();
        runStep(f, step);
        QCOMPARE(f.desktop.lastMessage().icon, MessageIcon::Error);
        QCOMPARE(f.fileRows(), before);
        QCOMPARE(Fixture::snapshot(*f.tree), f.freshLoad(QString()));
    }

    // Another clerk changed the contracts: the tree follows the file, node for node as a
    // load would show it, and the selected contract, and a name being typed into it, stay.
    void followsAnotherClerk_data() {
        QTest::addColumn<QStringList>("change");
        // false where the edited node itself moves, or only a load can place the change
        QTest::addColumn<bool>("editorStays");
        const auto add = [](qint64 id, const QString& code) { return Fixture::contract(id, code); };
        const auto recode = [](qint64 id, const QString& code) {
            return QStringLiteral("update htmain set concode='%1' where conid=%2").arg(code).arg(id);
        };
        const auto remove = [](const QString& ids) {
            return QStringLiteral("delete from htmain where conid in (%1)").arg(ids);
        };
        QTest::newRow("added at the top") << QStringList{add(20, "0009")} << true;
        QTest::newRow("added below a contract") << QStringList{add(20, "00020004")} << true;
        QTest::newRow("added a branch")
            << QStringList{add(22, "000900020002"), add(20, "0009"), add(21, "00090002")} << true;
        QTest::newRow("renamed") << QStringList{"update htmain set conname='改名' where conid=3"}
                                 << true;
        QTest::newRow("removed a branch") << QStringList{remove("2,3")} << true;
        QTest::newRow("removed the first of two rows with one code, with its branch")
            << QStringList{remove("5,7,8,9,10")} << true;
        QTest::newRow("moved a branch")
            << QStringList{recode(2, "00030003"), recode(3, "000300030002")} << true;
        QTest::newRow("moved the selected contract") << QStringList{recode(4, "00030004")} << false;
        QTest::newRow("moved a branch, and removed a contract inside it")
            << QStringList{recode(2, "00030003"), recode(3, "000300030002"), remove("3")} << true;
        QTest::newRow("moved out of a branch that went")
            << QStringList{recode(8, "00150002"), add(20, "0015"), remove("5,7,9,10")} << true;
        QTest::newRow("removed a contract whose children stay") << QStringList{remove("2")} << false;
        QTest::newRow("added above contracts without their top row")
            << QStringList{add(20, "0007")} << false;
        QTest::newRow("added with a code in use") << QStringList{add(20, "0002")} << false;
        QTest::newRow("moved without its children")
            << QStringList{recode(2, "00030003")} << false;
    }
    void followsAnotherClerk() {
        QFETCH(QStringList, change);
        QFETCH(bool, editorStays);
        Fixture f(seed());
        f.tree->ExpandToCode(QStringLiteral("0002"));
        select(f, 4);
        f.view()->editItem(f.nodeOfId(4));
        QVERIFY(f.view()->indexWidget(f.view()->currentIndex()));

        f.data.executeOutside(change);
        f.tree->followFile();

        QCOMPARE(Fixture::snapshot(*f.tree, false), f.freshLoad(QString(), false));
        QCOMPARE(f.nodeListContracts(), f.fileContracts());
        QVERIFY(f.tree->selectedRecord());
        QCOMPARE(f.tree->selectedRecord()->contractId, 4);
        if (editorStays) QVERIFY(f.view()->indexWidget(f.view()->currentIndex()));
    }

    // Commands one after another keep the records the tree holds to one per contract.
    void repeatedCommandsKeepOneRecordPerContract() {
        Fixture f(seed());
        for (int round = 0; round < 20; ++round) {
            runStep(f, "drop 2 on 0003");
            runStep(f, "drop 2 on 0002");
            runStep(f, "sub 1");
            runStep(f, QStringLiteral("delete %1").arg(largestId(f)));
        }
        QCOMPARE(f.tree->NodeList().size(), size_t(seed().size()));
        QCOMPARE(f.nodeListContracts(), f.fileContracts());
        QCOMPARE(Fixture::snapshot(*f.tree), f.freshLoad(codeInFile(f, 1)));
    }
};

QTEST_MAIN(TreeMatchesFileTest)
#include "tst_treematchesfile.moc"
