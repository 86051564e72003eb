// Creating contract files from the template and opening them: the name rules, the
// overwrite question, the failures, and the window after a file is open.
#include <QtTest>

#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "ScriptedDesktop.h"
#include "Tmainf.h"

namespace {

const QStringList kFileCommands = {"TBItem31", "TBItem26", "TBItem30", "TBItem27", "TBItem24", "TBItem23",
                                   "TBItem21", "TBItem55", "TBItem20", "TBItem19", "TBItem5",  "TBItem4",
                                   "TBItem3",  "TBItem2",  "TBSubmenuItem4", "TBSubmenuItem3"};

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class FileLifecycleTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    std::unique_ptr<ScriptedDesktop> desktop;
    std::unique_ptr<Tmainf> window;

    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    bool welcomeShown() const { return window->findChild<QWidget*>(QStringLiteral("Panel21"))->isVisible(); }
    bool fileCommandsEnabled() const {
        return std::all_of(kFileCommands.begin(), kFileCommands.end(),
                           [this](const QString& name) { return action(name)->isEnabled(); });
    }
    bool anyFileCommandEnabled() const {
        return std::any_of(kFileCommands.begin(), kFileCommands.end(),
                           [this](const QString& name) { return action(name)->isEnabled(); });
    }
    void createThroughTheDialog(const QString& chosen) {
        desktop->filesToSave.enqueue(chosen);
        action("TBItem25")->trigger();
    }
    void openThroughTheDialog(const QString& path) {
        desktop->filesToOpen.enqueue(path);
        action("TBItem17")->trigger();
    }

private Q_SLOTS:
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
    }

    void newFileNames_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("created");
        QTest::newRow("bare name") << "合同" << "合同.pzq";
        QTest::newRow("with .pzq") << "合同.pzq" << "合同.pzq";
        QTest::newRow("upper case is not the extension") << "合同.PZQ" << "合同.PZQ.pzq";
        QTest::newRow("other extension") << "合同.db" << "合同.db.pzq";
    }
    void newFileNames() {
        QFETCH(QString, chosen);
        QFETCH(QString, created);
        createThroughTheDialog(files->path(chosen));
        QCOMPARE(desktop->fileDialogs.last().filter, QStringLiteral("合同管理文件(*.pzq)"));
        QCOMPARE(fileBytes(files->path(created)), fileBytes(ContractFileFixture::templatePath()));
        QCOMPARE(window->query().contractFile(), files->path(created));
        QVERIFY(desktop->messages.isEmpty());
        QVERIFY(fileCommandsEnabled());
        QVERIFY(!welcomeShown());
        QCOMPARE(QDir(files->path(QString())).entryList(QStringList{"*.new-*"}, QDir::Files), QStringList());
    }

    void overwriteIsAskedAndNoKeepsTheFile() {
        const QString target = files->path("旧合同.pzq");
        writeBytes(target, "old contents");
        desktop->answers.enqueue(MessageAnswer::No);
        createThroughTheDialog(target);
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->lastMessage().text, QStringLiteral("文件已经存在，是否覆盖？"));
        QCOMPARE(desktop->lastMessage().title, QStringLiteral("确认"));
        QCOMPARE(desktop->lastMessage().icon, MessageIcon::Question);
        QCOMPARE(desktop->lastMessage().buttons, MessageButtons::YesNo);
        QCOMPARE(fileBytes(target), QByteArray("old contents"));
        QVERIFY(welcomeShown());
    }

    void overwriteYesReplacesTheFile() {
        const QString target = files->path("旧合同.pzq");
        writeBytes(target, "old contents");
        desktop->answers.enqueue(MessageAnswer::Yes);
        createThroughTheDialog(target);
        QCOMPARE(fileBytes(target), fileBytes(ContractFileFixture::templatePath()));
        QCOMPARE(window->query().contractFile(), target);
    }

    void aMissingTemplateCostsNothing() {
        QVERIFY(QFile::remove(files->programFolder() + "/temp.mdb"));
        const QString target = files->path("旧合同.pzq");
        writeBytes(target, "old contents");
        createThroughTheDialog(target);
        QCOMPARE(desktop->messageTexts(), QStringList({"文件已经存在，是否覆盖？", "新建文件错误"}));
        QCOMPARE(desktop->lastMessage().title, QStringLiteral("提示"));
        QCOMPARE(fileBytes(target), QByteArray("old contents"));
        createThroughTheDialog(files->path("新合同"));
        QVERIFY(!QFileInfo::exists(files->path("新合同.pzq")));
        QVERIFY(!anyFileCommandEnabled());
    }

    void cancelledDialogsDoNothing() {
        action("TBItem25")->trigger();
        action("TBItem17")->trigger();
        QVERIFY(desktop->messages.isEmpty());
        QVERIFY(window->query().contractFile().isEmpty());
        QVERIFY(welcomeShown());
    }

    void openingAFileEnablesTheCommandsAndLeavesThePagesDisabled() {
        openThroughTheDialog(files->newContractFile());
        QVERIFY(desktop->messages.isEmpty());
        QVERIFY(fileCommandsEnabled());
        QVERIFY(!action("TBItem29")->isVisible());
        QVERIFY(!welcomeShown());
        for (int i = 1; i <= 6; ++i)
            QVERIFY(!window->findChild<QWidget*>(QStringLiteral("TabSheet%1").arg(i))->isEnabled());
    }

    void aSecondFileReplacesTheFirst() {
        const QString first = files->newContractFile("一.pzq");
        const QString second = files->newContractFile("二.pzq");
        ContractFileFixture::execute(second, {"insert into infoset (id,infosty,infotext) values (1,'bmlb','工程部')"});
        window->OpenContractFile(first);
        window->OpenContractFile(second);
        QCOMPARE(window->query().contractFile(), second);
        window->query().RunQuery("select count(*) as a from infoset");
        QCOMPARE(window->query().integer("a"), 1);
    }

    void badFilesAreRefusedAndLeftAsTheyWere_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing" << "合同文件不存在";
        QTest::newRow("folder") << "folder" << "所选路径不是文件";
        QTest::newRow("random bytes") << "random" << "所选文件不是合同文件";
        QTest::newRow("empty file") << "empty" << "所选文件不是合同文件";
        QTest::newRow("truncated copy") << "truncated" << "合同文件不完整";
        QTest::newRow("other database") << "foreign" << "所选文件不是合同文件";
        QTest::newRow("tables missing") << "partial" << "合同文件缺少数据表";
    }
    void badFilesAreRefusedAndLeftAsTheyWere() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QString path = files->path("bad.pzq");
        if (kind == "folder") {
            QDir().mkpath(path);
        } else if (kind == "random") {
            QByteArray noise(8192, Qt::Uninitialized);
            for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + 13) % 251);
            writeBytes(path, noise);
        } else if (kind == "empty") {
            writeBytes(path, {});
        } else if (kind == "truncated") {
            const QString whole = files->newContractFile("whole.pzq");
            QStringList rows;
            for (int i = 1; i <= 400; ++i)
                rows << QString("insert into htmain (conid,concode,conname,cbdd) values (%1,'%2','合同%1','%3')")
                            .arg(i).arg(i + 1000).arg(QString(200, QChar(0x5408)));
            ContractFileFixture::execute(whole, rows);
            writeBytes(path, fileBytes(whole).left(int(QFileInfo(whole).size() / 2)));
        } else if (kind == "foreign" || kind == "partial") {
            writeBytes(path, {});
            QFile::remove(path);
            QFile::copy(ContractFileFixture::templatePath(), path);
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            const QStringList drops = kind == "foreign"
                ? QStringList{"drop table htmain", "drop table httext", "drop table htfk", "drop table htsp",
                              "drop table htyj", "drop table htqtyj", "drop table infoset", "drop table ghdwinfo",
                              "create table notes (x text)"}
                : QStringList{"drop table htfk", "drop table htsp"};
            ContractFileFixture::execute(path, drops);
        }
        const QByteArray before = fileBytes(path);
        const bool existed = QFileInfo::exists(path);

        openThroughTheDialog(path);

        QCOMPARE(desktop->messages.size(), 1);
        QVERIFY2(desktop->lastMessage().text.contains(message), qPrintable(desktop->lastMessage().text));
        QCOMPARE(desktop->lastMessage().icon, MessageIcon::Error);
        QCOMPARE(QFileInfo::exists(path), existed);
        QCOMPARE(fileBytes(path), before);
        QVERIFY(!QFileInfo::exists(path + "-journal"));
        QVERIFY(welcomeShown());
        QVERIFY(!anyFileCommandEnabled());
    }

    void aGoodFileAfterABadOneWorks() {
        openThroughTheDialog(files->path("nowhere.pzq"));
        QCOMPARE(desktop->messages.size(), 1);
        openThroughTheDialog(files->newContractFile());
        QCOMPARE(desktop->messages.size(), 1);
        QVERIFY(fileCommandsEnabled());
    }

    void aStatementBeforeAnyFileIsOpenIsReportedByTheHandler() {
        action("TBItem32")->trigger();  // "新增" in the tree's popup menu, enabled from the start
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->lastMessage().icon, MessageIcon::Error);
        QCOMPARE(desktop->lastMessage().text, QStringLiteral("尚未打开合同文件。"));
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(FileLifecycleTest)
#include "tst_filelifecycle.moc"
