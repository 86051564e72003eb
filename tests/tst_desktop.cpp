// The program as the desktop starts it: a contract file given on the command line (as a
// file manager passes a double-clicked .pzq), the folders of an installed program, and
// the pictures of the commands on a machine without an icon theme.
#include <QToolBar>
#include <QtTest>

#include "CommandIcons.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "ProgramFolders.h"
#include "ScriptedDesktop.h"
#include "StartupArguments.h"
#include "Tmainf.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void makeFolderWithTemplate(const QString& folder) {
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(ContractFileFixture::templatePath(), folder + "/temp.mdb"));
}

// A window of its own with a desktop of its own, shown as the program shows it.
struct ShownWindow {
    ScriptedDesktop desktop;
    Tmainf window;
    explicit ShownWindow(const QString& programFolder) : window(desktop, programFolder) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    bool welcomeShown() const { return window.findChild<QWidget*>(QStringLiteral("Panel21"))->isVisible(); }
    bool fileCommandsEnabled() const { return window.findChild<QAction*>(QStringLiteral("TBItem31"))->isEnabled(); }
};

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    QString startFolder = QDir::currentPath();

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        // No icon theme at all: every picture must come from the program's own drawings.
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName(QStringLiteral("no-theme-here"));
    }
    void init() { files = std::make_unique<ContractFileFixture>(); }
    void cleanup() {
        QDir::setCurrent(startFolder);
        files.reset();
    }

    void aContractFileArgumentIsOpened_data() {
        QTest::addColumn<QString>("form");
        QTest::newRow("absolute path") << "absolute";
        QTest::newRow("path relative to the working folder") << "relative";
        QTest::newRow("file address, as some launchers pass it") << "url";
    }
    void aContractFileArgumentIsOpened() {
        QFETCH(QString, form);
        const QString file = files->newContractFile("合同 一.pzq");
        QString argument = file;
        if (form == "relative") {
            QVERIFY(QDir::setCurrent(files->path(QString())));
            argument = QFileInfo(file).fileName();
        } else if (form == "url") {
            argument = QUrl::fromLocalFile(file).toString();
        }
        ShownWindow shown(files->programFolder());
        openFromCommandLine(shown.window, shown.desktop, {argument});
        QCOMPARE(shown.desktop.messageTexts(), QStringList());
        QCOMPARE(shown.window.query().contractFile(), file);
        QVERIFY(shown.fileCommandsEnabled());
        QVERIFY(!shown.welcomeShown());
    }

    // The argument goes through the same checks as the open dialog: the same message, and
    // the file left as it was.
    void aBadFileArgumentIsRefusedAsTheDialogRefusesIt_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing path") << "missing" << "合同文件不存在";
        QTest::newRow("not a contract file") << "random" << "所选文件不是合同文件";
        QTest::newRow("a folder") << "folder" << "所选路径不是文件";
    }
    void aBadFileArgumentIsRefusedAsTheDialogRefusesIt() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = files->path("bad.pzq");
        if (kind == "random") writeBytes(path, QByteArray("this is a letter, not a contract file\n").repeated(200));
        if (kind == "folder") QVERIFY(QDir().mkpath(path));
        const QByteArray before = kind == "random" ? fileBytes(path) : QByteArray();

        ShownWindow byArgument(files->programFolder());
        openFromCommandLine(byArgument.window, byArgument.desktop, {path});
        ShownWindow byDialog(files->programFolder());
        byDialog.desktop.filesToOpen.enqueue(path);
        byDialog.window.findChild<QAction*>(QStringLiteral("TBItem17"))->trigger();

        QCOMPARE(byArgument.desktop.messages.size(), 1);
        const MessageRequest& shown = byArgument.desktop.lastMessage();
        QVERIFY2(shown.text.contains(message), qPrintable(shown.text));
        QCOMPARE(shown.text, byDialog.desktop.lastMessage().text);
        QCOMPARE(shown.title, byDialog.desktop.lastMessage().title);
        QCOMPARE(shown.icon, MessageIcon::Error);
        QVERIFY(byArgument.window.isVisible());
        QVERIFY(byArgument.welcomeShown());
        QVERIFY(!byArgument.fileCommandsEnabled());
        if (kind == "missing") QVERIFY(!QFileInfo::exists(path));
        if (kind == "random") QCOMPARE(fileBytes(path), before);
    }

    void otherArgumentsAreExplainedAndNothingIsOpened_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("two files") << QStringList{"一.pzq", "二.pzq"} << "一.pzq 二.pzq";
        QTest::newRow("an option") << QStringList{"--help"} << "--help";
        QTest::newRow("an empty argument") << QStringList{""} << "\"\"";
        QTest::newRow("an address that is not a file") << QStringList{"file://server/share/a.pzq"} << "file://server/share/a.pzq";
    }
    void otherArgumentsAreExplainedAndNothingIsOpened() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        for (const char* name : {"一.pzq", "二.pzq"}) files->newContractFile(QString::fromUtf8(name));
        QVERIFY(QDir::setCurrent(files->path(QString())));
        ShownWindow shown(files->programFolder());
        openFromCommandLine(shown.window, shown.desktop, arguments);
        QCOMPARE(shown.desktop.messages.size(), 1);
        const MessageRequest& message = shown.desktop.lastMessage();
        QVERIFY2(message.text.startsWith("无法识别的启动参数：" + named + "\n"), qPrintable(message.text));
        QVERIFY(message.text.contains("vemora-contracts 合同.pzq"));
        QCOMPARE(message.title, QStringLiteral("提示"));
        QCOMPARE(message.icon, MessageIcon::Warning);
        QVERIFY(shown.window.query().contractFile().isEmpty());
        QVERIFY(shown.window.isVisible());
        QVERIFY(shown.welcomeShown());
    }

    void noArgumentChangesNothing() {
        ShownWindow shown(files->programFolder());
        openFromCommandLine(shown.window, shown.desktop, {});
        QVERIFY(shown.desktop.messages.isEmpty());
        QVERIFY(shown.window.query().contractFile().isEmpty());
        QVERIFY(shown.welcomeShown());
    }

    void programFolders_data() {
        QTest::addColumn<bool>("besideProgram");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("templateFolder");
        QTest::addColumn<QString>("scratchBase");
        QTest::newRow("build folder") << true << false << "usr/bin" << "usr/bin";
        QTest::newRow("installed") << false << true << "usr/share/vemora-contracts" << "";
        QTest::newRow("beside the program comes first") << true << true << "usr/bin" << "usr/bin";
        QTest::newRow("no template anywhere") << false << false << "usr/bin" << "usr/bin";
    }
    void programFolders() {
        QFETCH(bool, besideProgram);
        QFETCH(bool, installed);
        QFETCH(QString, templateFolder);
        QFETCH(QString, scratchBase);
        const QString prefix = files->path("prefix");
        QVERIFY(QDir().mkpath(prefix + "/usr/bin"));
        if (besideProgram) makeFolderWithTemplate(prefix + "/usr/bin");
        if (installed) makeFolderWithTemplate(prefix + "/usr/share/vemora-contracts");

        const ProgramFolders folders = ProgramFolders::forExecutable(prefix + "/usr/bin");
        QCOMPARE(folders.templateFolder, prefix + "/" + templateFolder);
        QCOMPARE(folders.scratchBase, scratchBase.isEmpty() ? QString() : prefix + "/" + scratchBase);
        QCOMPARE(folders.templatePath(), prefix + "/" + templateFolder + "/temp.mdb");
    }

    // An installed program makes new contract files from the installed template and
    // writes its scratch files in the user's cache folder, never beside itself, even where
    // it could (as root can).
    void anInstalledProgramUsesItsTemplateAndTheUsersCache() {
        const QString prefix = files->path("prefix");
        QVERIFY(QDir().mkpath(prefix + "/usr/bin"));
        makeFolderWithTemplate(prefix + "/usr/share/vemora-contracts");
        ScriptedDesktop desktop;
        Tmainf window(desktop, ProgramFolders::forExecutable(prefix + "/usr/bin"));

        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QCOMPARE(window.scratchFolder().path(), QDir(cache).filePath("temp"));
        QVERIFY(!QFileInfo::exists(prefix + "/usr/bin/temp"));
        QVERIFY(!QFileInfo::exists(prefix + "/usr/share/vemora-contracts/temp"));

        desktop.filesToSave.enqueue(files->path("新合同"));
        window.findChild<QAction*>(QStringLiteral("TBItem25"))->trigger();
        QCOMPARE(desktop.messageTexts(), QStringList());
        QCOMPARE(fileBytes(files->path("新合同.pzq")), fileBytes(ContractFileFixture::templatePath()));
    }

    // With no icon theme, every item of the menus, the toolbars and the popup menu shows
    // the program's own picture.
    void commandsShowPicturesWithoutAnIconTheme() {
        const char* items[] = {
            "TBItem17", "TBItem25", "TBItem24", "TBItem2", "TBItem18", "TBItem1", "TBItem23", "TBItem13",
            "TBItem22", "TBItem12", "TBItem21", "TBItem11", "TBItem55", "TBItem14", "TBItem20", "TBItem7",
            "TBItem19", "TBItem6", "TBItem10", "TBItem16", "TBItem15", "TBItem31", "TBItem5", "TBItem32",
            "TBItem26", "TBItem4", "TBItem33", "TBItem30", "TBItem3", "TBItem34", "TBItem27", "TBItem28",
            "TBItem9", "TBItem51", "TBItem8", "TBItem50", "TBItem29", "TBItem37", "TBItem35", "TBItem41",
            "TBItem40", "TBItem39", "TBItem38", "TBItem44", "TBItem45", "TBItem43", "TBItem46", "TBItem42",
            "TBItem47", "TBItem48", "TBItem49", "TBItem52", "TBItem53", "TBItem36", "TBItem54",
        };
        ShownWindow shown(files->programFolder());
        for (const char* item : items) {
            const QList<QAction*> actions = shown.window.findChildren<QAction*>(QString::fromLatin1(item));
            QVERIFY2(!actions.isEmpty(), item);
            for (QAction* action : actions) QVERIFY2(!action->icon().pixmap(16, 16).isNull(), item);
        }
    }
    void captionsStayBesideThePictures() {
        ShownWindow shown(files->programFolder());
        const QList<QToolBar*> bars = shown.window.findChildren<QToolBar*>();
        QVERIFY(bars.size() >= 7);
        for (QToolBar* bar : bars) QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        QVERIFY(!applicationIcon().pixmap(48, 48).isNull());
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
