// The window on a server: connecting through 文件 > 连接服务器…, a refused connection
// leaving the window as it was, a role that may only read, the menu's copies both ways, a
// connection lost between commands, and the connection strings the server dialog builds.
#include <libpq-fe.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "ContractFileFixture.h"
#include "ContractTree.h"
#include "ContractTreeFixture.h"
#include "ScriptedDesktop.h"
#include "ServerAddress.h"
#include "ServerConnection.h"
#include "ServerSchema.h"
#include "Tghdwform.h"
#include "ThrowawayServer.h"
#include "Tmainf.h"

namespace {

const QString kTitle = QStringLiteral("Vemora合同管理软件");
const QString kReader = QStringLiteral("vemora_reader");

// Commands that change contracts, and some that only read.
const QStringList kWritingCommands = {"TBItem31", "TBItem26", "TBItem30", "TBItem27",
                                      "TBItem24", "TBItem21", "TBItem5",  "TBItem4",
                                      "TBItem3",  "TBItem2",  "TBItem32", "TBItem34"};
// The pages' own commands that write: ledgers (add, delete), documents (add, replace,
// delete), scans (load, save, replace, delete). The ledgers' 保存 follows an edit.
const QStringList kWritingPageControls = {
    "TBItem44",   "TBItem43",   "TBItem45",   "TBItem46",    "TBItem35",   "TBItem41",
    "TBItem38",   "FlatButton1", "FlatButton2", "FlatButton11", "FlatButton3", "FlatButton4",
    "FlatButton5", "FlatButton12", "FlatButton6"};
const QStringList kReadingCommands = {"TBItem19", "TBItem55", "exportRegisterItem",
                                      "saveAsContractFileItem"};

}  // namespace

class ServerWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    std::unique_ptr<ScriptedDesktop> desktop;
    std::unique_ptr<Tmainf> window;
    QStringList databases;

    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    QString accessNote() const {
        return window->findChild<QLabel*>(QStringLiteral("accessNote"))->text();
    }
    QStringList tree() const { return treeTexts(window->tree().view()); }
    // The pages' commands that write and are enabled (the ledgers' and the scans' on both
    // of their pages).
    QStringList writingControlsOfThePages() const {
        QStringList enabled;
        for (const QString& name : kWritingPageControls) {
            for (QAction* action : window->findChildren<QAction*>(name))
                if (action->isEnabled()) enabled << name;
            // Its own state: a page without a contract is disabled as a whole.
            for (QPushButton* button : window->findChildren<QPushButton*>(name))
                if (!button->testAttribute(Qt::WA_ForceDisabled)) enabled << name;
        }
        return enabled;
    }

    // A database of the throwaway server, with our tables and the contracts named.
    QString contractDatabase(const QStringList& names) {
        const QString database = emptyDatabase();
        ServerConnection connection(ThrowawayServer::instance().connectionString(database));
        createServerSchema(connection);
        for (int i = 0; i < names.size(); ++i)
            connection.execute(
                "insert into htmain (conid, concode, conname) values ($1, $2, $3)",
                {ServerParam::number(i + 1),
                 ServerParam::text(QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0'))),
                 ServerParam::text(names.at(i))});
        connection.execute("grant select on all tables in schema public to " + kReader);
        return database;
    }
    QString emptyDatabase() {
        databases << ThrowawayServer::instance().newDatabase();
        return databases.last();
    }
    QString contractFile(const QString& name, const QString& contract) {
        const QString path = files->newContractFile(name);
        ContractFileFixture::execute(
            path, {"insert into htmain (conid, concode, conname) values (1, '0001', '" + contract +
                   "')"});
        return path;
    }
    void connectThroughTheMenu(const QString& connectionString) {
        desktop->servers.enqueue(connectionString);
        action("connectToServerItem")->trigger();
    }
    void openThroughTheDialog(const QString& path) {
        desktop->filesToOpen.enqueue(path);
        action("TBItem17")->trigger();
    }
    static QString serverOf(const QString& database, const QString& extra = {}) {
        return ThrowawayServer::instance().connectionString(database) + extra;
    }

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(ThrowawayServer::instance().problem().isEmpty(),
                 qPrintable(ThrowawayServer::instance().problem()));
        ServerConnection admin(serverOf(QStringLiteral("postgres")));
        admin.execute("create role " + kReader + " login");
    }
    void init() {
        files = std::make_unique<ContractFileFixture>();
        desktop = std::make_unique<ScriptedDesktop>();
        window = std::make_unique<Tmainf>(*desktop, files->programFolder());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        desktop.reset();
        files.reset();
        for (const QString& database : databases)
            ThrowawayServer::instance().dropDatabase(database);
        databases.clear();
    }

    void connectingShowsTheServersContracts() {
        QVERIFY(!action("uploadToServerItem")->isEnabled());
        QVERIFY(!action("saveAsContractFileItem")->isEnabled());
        const QString database =
            contractDatabase({QStringLiteral("服务器合同甲"), QStringLiteral("服务器合同乙")});
        connectThroughTheMenu(serverOf(database));
        QCOMPARE(desktop->serverDialogs, QStringList{QStringLiteral("连接服务器")});
        QVERIFY2(desktop->messages.isEmpty(), qPrintable(desktop->messageTexts().join('\n')));
        QVERIFY(window->query().isOnServer());
        QCOMPARE(window->windowTitle(),
                 kTitle + QStringLiteral(" - ") + database + QStringLiteral("@本机"));
        QVERIFY(tree().contains(QStringLiteral("服务器合同甲")));
        QVERIFY(tree().contains(QStringLiteral("服务器合同乙")));
        for (const QString& name : kWritingCommands + kReadingCommands)
            QVERIFY2(action(name)->isEnabled(), qPrintable(name));
        QVERIFY(accessNote().isEmpty());
        QVERIFY(!action("uploadToServerItem")->isEnabled());

        // A contract file opened afterwards leaves the server.
        openThroughTheDialog(contractFile(QStringLiteral("a.pzq"), QStringLiteral("文件合同")));
        QVERIFY(!window->query().isOnServer());
        QCOMPARE(window->windowTitle(), kTitle);
        QVERIFY(tree().contains(QStringLiteral("文件合同")));
        QVERIFY(!tree().contains(QStringLiteral("服务器合同甲")));
        QVERIFY(action("uploadToServerItem")->isEnabled());
        QVERIFY(!action("saveAsContractFileItem")->isEnabled());
    }

    // Another clerk's change reaches this window's tree within a second, the contract
    // selected here staying selected; after a contract file is opened nothing more comes.
    void anotherClerksChangeReachesTheWindow() {
        const QString database = contractDatabase({QStringLiteral("甲"), QStringLiteral("乙")});
        connectThroughTheMenu(serverOf(database));
        window->tree().view()->setCurrentItem(window->tree().view()->topLevelItem(1));
        ServerConnection other(serverOf(database));
        other.execute("insert into htmain (conid, concode, conname) values (3, '0003', '丙')");
        other.execute("update htmain set conname = '甲方' where conid = 1");
        QTRY_COMPARE_WITH_TIMEOUT(tree(), (QStringList{"甲方", "乙", "丙"}), 1000);
        QCOMPARE(window->tree().selectedRecord()->contractId, 2);
        QVERIFY2(desktop->messages.isEmpty(), qPrintable(desktop->messageTexts().join('\n')));

        openThroughTheDialog(contractFile(QStringLiteral("a.pzq"), QStringLiteral("文件合同")));
        other.execute("insert into htmain (conid, concode, conname) values (4, '0004', '丁')");
        QTest::qWait(400);
        QCOMPARE(tree(), QStringList{"文件合同"});
    }

    void refusedConnectionLeavesTheWindowAsItWas_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("headline");
        QTest::newRow("no server there") << "host=/tmp/vpg-nowhere connect_timeout=2"
                                         << "无法连接到服务器";
        QTest::newRow("a database without our tables") << "empty"
                                                       << "不是合同数据库";
        QTest::newRow("cancelled dialog") << ""
                                          << "";
    }
    void refusedConnectionLeavesTheWindowAsItWas() {
        QFETCH(QString, where);
        QFETCH(QString, headline);
        const QString file = contractFile(QStringLiteral("a.pzq"), QStringLiteral("文件合同"));
        openThroughTheDialog(file);
        const QStringList treeBefore = tree();
        QVERIFY(desktop->messages.isEmpty());

        connectThroughTheMenu(where == "empty" ? serverOf(emptyDatabase()) : where);
        if (headline.isEmpty()) {
            QVERIFY(desktop->messages.isEmpty());
        } else {
            QCOMPARE(desktop->messages.size(), 1);
            QVERIFY2(desktop->lastMessage().text.contains(headline),
                     qPrintable(desktop->lastMessage().text));
        }
        QVERIFY(!window->query().isOnServer());
        QCOMPARE(window->query().contractFile(), file);
        QCOMPARE(window->windowTitle(), kTitle);
        QCOMPARE(tree(), treeBefore);
        QVERIFY(action("uploadToServerItem")->isEnabled());
        // The file is still the open one: commands go on working on it.
        window->query().RunQuery("select conname from htmain");
        QCOMPARE(window->query().text("conname"), QStringLiteral("文件合同"));
    }

    void roleThatMayOnlyReadGetsNoWritingCommands() {
        const QString database = contractDatabase({QStringLiteral("只读合同")});
        connectThroughTheMenu(serverOf(database, " user=" + kReader));
        QVERIFY2(desktop->messages.isEmpty(), qPrintable(desktop->messageTexts().join('\n')));
        QVERIFY(tree().contains(QStringLiteral("只读合同")));
        for (const QString& name : kWritingCommands)
            QVERIFY2(!action(name)->isEnabled(), qPrintable(name));
        for (const QString& name : kReadingCommands)
            QVERIFY2(action(name)->isEnabled(), qPrintable(name));
        QCOMPARE(accessNote(), QStringLiteral("只读连接：不能修改数据"));
        QCOMPARE(writingControlsOfThePages(), QStringList());
        QCOMPARE(window->tree().view()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!window->tree().view()->dragEnabled());

        // The supplier directory still lists and shows the units, and offers no change.
        QStringList changeable;
        QTimer::singleShot(0, window.get(), [&] {
            auto* directory = qobject_cast<Tghdwform*>(QApplication::activeModalWidget());
            if (!directory) return;
            changeable << QStringLiteral("(shown)");
            for (const char* button : {"FlatButton1", "FlatButton2", "FlatButton3"})
                if (directory->findChild<QPushButton*>(button)->isEnabled()) changeable << button;
            for (QLineEdit* edit : directory->findChildren<QLineEdit*>())
                if (!edit->isReadOnly() && edit->objectName() != QStringLiteral("Edit10"))
                    changeable << edit->objectName();
            directory->close();
        });
        action("TBItem55")->trigger();
        QCOMPARE(changeable, QStringList{QStringLiteral("(shown)")});

        openThroughTheDialog(contractFile(QStringLiteral("a.pzq"), QStringLiteral("文件合同")));
        for (const QString& name : kWritingCommands)
            QVERIFY2(action(name)->isEnabled(), qPrintable(name));
        QVERIFY(accessNote().isEmpty());
        QCOMPARE(writingControlsOfThePages(), kWritingPageControls);
        QVERIFY(window->tree().view()->dragEnabled());
    }

    void menuCopiesBothWays() {
        openThroughTheDialog(contractFile(QStringLiteral("a.pzq"), QStringLiteral("上传的合同")));
        const QString database = emptyDatabase();
        desktop->servers.enqueue(serverOf(database));
        action("uploadToServerItem")->trigger();
        QCOMPARE(desktop->serverDialogs, QStringList{QStringLiteral("上传到服务器")});
        QCOMPARE(desktop->messageTexts(), QStringList{QStringLiteral("合同文件已上传到服务器：") +
                                                      database + QStringLiteral("@本机")});
        QVERIFY(!window->query().isOnServer());  // the window stays on the file

        // A second upload into the same database is refused, the database unchanged.
        desktop->servers.enqueue(serverOf(database));
        action("uploadToServerItem")->trigger();
        QVERIFY2(desktop->lastMessage().text.contains(QStringLiteral("不是空的")),
                 qPrintable(desktop->lastMessage().text));

        connectThroughTheMenu(serverOf(database));
        QCOMPARE(tree().count(QStringLiteral("上传的合同")), 1);
        const QString copy = files->path(QStringLiteral("副本"));
        desktop->filesToSave.enqueue(copy);
        desktop->messages.clear();
        action("saveAsContractFileItem")->trigger();
        QCOMPARE(desktop->messageTexts(),
                 QStringList{QStringLiteral("已另存为合同文件：") + copy + ".pzq"});
        QVERIFY(window->query().isOnServer());
        QCOMPARE(QDir(files->path(QString())).entryList({"*.new-*"}, QDir::Files), QStringList());

        openThroughTheDialog(copy + ".pzq");
        QCOMPARE(tree().count(QStringLiteral("上传的合同")), 1);
    }

    void cancellingTheUploadLeavesTheDatabaseEmpty() {
        openThroughTheDialog(contractFile(QStringLiteral("a.pzq"), QStringLiteral("上传的合同")));
        const QString database = emptyDatabase();
        desktop->servers.enqueue(serverOf(database));
        QTimer::singleShot(0, window.get(), [this] {
            if (auto* progress =
                    window->findChild<QProgressDialog*>(QStringLiteral("transferProgress")))
                progress->cancel();
        });
        action("uploadToServerItem")->trigger();
        QCOMPARE(desktop->messageTexts(),
                 QStringList{QStringLiteral("上传已取消，服务器上的数据库没有改变")});
        ServerConnection check(serverOf(database));
        PgResult tables = check.execute(
            "select count(*) from pg_class where relnamespace = 'public'::regnamespace");
        QCOMPARE(QByteArray(PQgetvalue(tables.get(), 0, 0)), QByteArray("0"));
    }

    // A connection cut between commands fails the next command with a clear message;
    // the one after it works on a new connection.
    void lostConnectionIsToldThenReopened() {
        const QString database = contractDatabase({QStringLiteral("甲"), QStringLiteral("乙")});
        connectThroughTheMenu(serverOf(database));
        QVERIFY(desktop->messages.isEmpty());
        {
            ServerConnection admin(serverOf(QStringLiteral("postgres")));
            admin.execute(
                "select pg_terminate_backend(pid) from pg_stat_activity where datname = $1",
                {ServerParam::text(database)});
        }
        QTreeWidget* view = window->tree().view();
        const QList<QTreeWidgetItem*> items =
            view->findItems(QStringLiteral("乙"), Qt::MatchRecursive);
        QCOMPARE(items.size(), 1);
        view->setCurrentItem(items.first());
        QCOMPARE(desktop->messages.size(), 1);
        QVERIFY2(desktop->lastMessage().text.contains(QStringLiteral("与服务器的连接已断开")),
                 qPrintable(desktop->lastMessage().text));

        view->setCurrentItem(view->findItems(QStringLiteral("甲"), Qt::MatchRecursive).first());
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(window->tree().selectedRecord()->contractName, QStringLiteral("甲"));
    }

    // What the server dialog hands to libpq, read back the way libpq reads it.
    void connectionStringsMeanWhatWasTyped_data() {
        QTest::addColumn<QStringList>("typed");  // host, port, database, user, password, connection
        QTest::addColumn<QStringList>("expected");  // keyword=value pairs libpq finds
        QTest::newRow("parts") << QStringList{"db.lan", "5433", "contracts", "clerk1", "", ""}
                               << QStringList{"host=db.lan", "port=5433", "dbname=contracts",
                                              "user=clerk1"};
        QTest::newRow("password with space, quote and backslash")
            << QStringList{"db.lan", "", "合同库", "clerk1", "a b'c\\d", ""}
            << QStringList{"host=db.lan", "dbname=合同库", "user=clerk1", "password=a b'c\\d"};
        QTest::newRow("empty parts left to libpq")
            << QStringList{"", "", "contracts", "", "", ""} << QStringList{"dbname=contracts"};
        QTest::newRow("service name") << QStringList{"ignored", "", "", "", "", "contracts"}
                                      << QStringList{"service=contracts"};
        QTest::newRow("service name with password")
            << QStringList{"", "", "", "", "p w", " contracts "}
            << QStringList{"service=contracts", "password=p w"};
        QTest::newRow("key=value string with password")
            << QStringList{"", "", "", "", "s3", "host=db.lan dbname=contracts sslmode=require"}
            << QStringList{"host=db.lan", "dbname=contracts", "sslmode=require", "password=s3"};
        QTest::newRow("URI with password")
            << QStringList{"", "", "", "", "p&w?", "postgresql://clerk1@db.lan/contracts"}
            << QStringList{"host=db.lan", "dbname=contracts", "user=clerk1", "password=p&w?"};
    }
    void connectionStringsMeanWhatWasTyped() {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        const QString text =
            serverConnectionString({typed[0], typed[1], typed[2], typed[3], typed[4], typed[5]});
        char* error = nullptr;
        PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &error);
        QVERIFY2(options, error);
        QStringList found;
        for (PQconninfoOption* option = options; option->keyword; ++option)
            if (option->val)
                found << QString::fromUtf8(option->keyword) + '=' + QString::fromUtf8(option->val);
        PQconninfoFree(options);
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }
};

QTEST_MAIN(ServerWindowTest)
#include "tst_serverwindow.moc"
