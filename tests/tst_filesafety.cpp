// A contract file under a failing machine and a second program: a commit cut short by a
// crash, a disk that fills during a command, and two programs wanting one file.
#include <sqlite3.h>

#include <QtTest>
#include <QtWidgets>

#include "AppError.h"
#include "BlobTransfer.h"
#include "ContractFileFixture.h"
#include "ContractFileLock.h"
#include "ContractFileProbe.h"
#include "ContractQuery.h"
#include "FaultyFileSystem.h"
#include "ScriptedDesktop.h"
#include "Tinfoset.h"
#include "Tmainf.h"
#include "tree/ContractTree.h"

namespace {

const char* const kHoldArgument = "--hold-contract-file";

// Runs a statement through the engine directly, as another tool would; the engine's
// complaint, or empty.
QString runOn(sqlite3* db, const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) == SQLITE_OK)
        return {};
    const QString message = QString::fromUtf8(error ? error : "?");
    sqlite3_free(error);
    return message;
}

int contractCount(const QString& file) {
    ContractQuery query;
    query.setContractFile(file);
    query.RunQuery(QStringLiteral("select count(*) as a from htmain"));
    return int(query.integer("a"));
}

QStringList folderEntries(const QString& file) {
    return QFileInfo(file).dir().entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A desktop that looks at the contract file at the moment a message box is shown.
class WatchingDesktop : public ScriptedDesktop {
  public:
    explicit WatchingDesktop(QString file) : file_(std::move(file)) {}
    qint64 sizeWhenTold = -1;
    bool journalWhenTold = true;

    MessageAnswer showMessage(QWidget* parent, const MessageRequest& request) override {
        sizeWhenTold = QFileInfo(file_).size();
        journalWhenTold = QFileInfo::exists(file_ + QStringLiteral("-journal"));
        return ScriptedDesktop::showMessage(parent, request);
    }

  private:
    QString file_;
};

// A second copy of the program, holding `file` until it is ended.
class HoldingProgram {
  public:
    explicit HoldingProgram(const QString& file) {
        process_.start(QCoreApplication::applicationFilePath(),
                       {QString::fromLatin1(kHoldArgument), file});
        process_.waitForReadyRead(10000);
        ready_ = process_.readAllStandardOutput().startsWith("held");
    }
    ~HoldingProgram() { die(); }
    bool ready() const { return ready_; }
    qint64 pid() const { return process_.processId(); }
    // Ends as a crash would: no chance to let go of anything.
    void die() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.kill();
        process_.waitForFinished(10000);
    }

  private:
    QProcess process_;
    bool ready_ = false;
};

}  // namespace

class FileSafetyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files_;
    QString file_;

  private Q_SLOTS:
    void initTestCase() { faultyfs::install(); }
    void init() {
        files_ = std::make_unique<ContractFileFixture>();
        file_ = files_->newContractFile();
        ContractFileFixture::execute(
            file_, {"insert into htmain (conid,concode,conname) values (1,'0001','甲合同')",
                    "insert into infoset (id,infosty,infotext) values (1,'bmlb','工程部')"});
    }
    void cleanup() {
        faultyfs::setFreeSpace(-1);
        faultyfs::onJournalDelete({});
        files_.reset();
    }

    // ------------------------------------------------------------ a commit cut short

    void aCommitCutShortByACrash_data() {
        QTest::addColumn<bool>("journalKept");
        QTest::newRow("with its journal: opens as before the commit") << true;
        QTest::newRow("journal lost: a truncated copy, refused") << false;
    }
    void aCommitCutShortByACrash() {
        QFETCH(bool, journalKept);
        const QByteArray before = fileBytes(file_);
        const QString crashed = files_->path(QStringLiteral("crashed.pzq"));

        // A commit that grows the file, caught when it has written everything and not yet
        // removed its journal; the copy taken then is cut back to the old length, as when
        // the machine stops after the header but before the new pages reach the disk.
        faultyfs::onJournalDelete([&](const QString& journal) {
            QFile::copy(file_, crashed);
            if (journalKept) QFile::copy(journal, crashed + QStringLiteral("-journal"));
        });
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(file_.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        QCOMPARE(runOn(db, QStringLiteral("with recursive n(i) as (select 2 union all select "
                                          "i+1 from n where i<400) "
                                          "insert into htmain (conid,concode,conname) "
                                          "select i, substr('000'||i,-4), hex(randomblob(200)) "
                                          "from n")),
                 QString());
        sqlite3_close(db);
        faultyfs::onJournalDelete({});
        QVERIFY(QFileInfo(file_).size() > before.size());
        QVERIFY(QFileInfo::exists(crashed));
        QFile cut(crashed);
        QVERIFY(cut.resize(before.size()));
        cut.close();
        const QByteArray cutShort = fileBytes(crashed);

        if (!journalKept) {
            QCOMPARE(probeContractFile(crashed), ContractFileKind::Truncated);
            ContractQuery query;
            query.setContractFile(crashed);
            try {
                query.RunQuery(QStringLiteral("select count(*) as a from htmain"));
                QFAIL("a truncated copy was opened");
            } catch (const AppError& error) {
                QVERIFY2(error.headline().startsWith(QStringLiteral("合同文件不完整")),
                         qPrintable(error.text()));
            }
            QCOMPARE(fileBytes(crashed), cutShort);
            return;
        }
        QCOMPARE(probeContractFile(crashed), ContractFileKind::Database);
        QCOMPARE(contractCount(crashed), 1);
        QCOMPARE(fileBytes(crashed), before);
        QCOMPARE(folderEntries(crashed).filter(QStringLiteral("crashed")),
                 QStringList{"crashed.pzq"});
    }

    // ------------------------------------------------------------ a disk that fills

    void aFailedWriteIsUndoneBeforeTheErrorIsShown_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("a large document stored") << "document";
        QTest::newRow("the option lists rewritten") << "options";
    }
    void aFailedWriteIsUndoneBeforeTheErrorIsShown() {
        QFETCH(QString, command);
        ContractFileFixture::execute(
            file_, {"insert into httext (id,conid,textname) values (1,1,'a.doc')"});
        const QByteArray before = fileBytes(file_);
        const QString journal = file_ + QStringLiteral("-journal");

        WatchingDesktop desktop(file_);
        QWidget host;
        CommandGuard guard(desktop, &host);
        ContractQuery query;
        query.setContractFile(file_);
        query.RunQuery(QStringLiteral("select count(*) as a from htmain"));  // the file is open
        query.close();

        if (command == QLatin1String("document")) {
            const QString document = files_->path(QStringLiteral("big.doc"));
            QFile big(document);
            QVERIFY(big.open(QIODevice::WriteOnly));
            big.write(QByteArray(4 << 20, 'x'));
            big.close();
            faultyfs::setFreeSpace(256 * 1024);
            guard.run([&] { StoreFileInBlob(query, "httext", "id", 1, "docfile", document); });
        } else {
            Tinfoset dialog(
                query, guard, [](const QString&) {}, &host);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QStringList many;
            for (int i = 0; i < 20000; ++i) many << QStringLiteral("部门%1").arg(i);
            dialog.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
                ->setPlainText(many.join('\n'));
            faultyfs::setFreeSpace(256 * 1024);
            dialog.findChild<QPushButton*>(QStringLiteral("FlatButton1"))->click();
            QVERIFY(dialog.isVisible());
        }
        faultyfs::setFreeSpace(-1);
        QVERIFY(!desktop.messages.isEmpty());
        QVERIFY2(desktop.messages.first().text.startsWith(QStringLiteral("磁盘空间已满")),
                 qPrintable(desktop.messages.first().text));
        QCOMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.sizeWhenTold, before.size());
        QVERIFY(!desktop.journalWhenTold);
        QCOMPARE(fileBytes(file_), before);
        QCOMPARE(contractCount(file_), 1);
    }

    // ------------------------------------------------------------ one program per file

    void aSecondProgramIsRefusedUntilTheFirstEnds() {
        const QString first = files_->newContractFile(QStringLiteral("first.pzq"));
        ScriptedDesktop desktop;
        Tmainf window(desktop, files_->programFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.OpenContractFile(first);
        QCOMPARE(window.tree().view()->topLevelItemCount(), 0);

        HoldingProgram other(file_);
        QVERIFY(other.ready());
        const QByteArray before = fileBytes(file_);
        window.guard().run([&] { window.OpenContractFile(file_); });
        QCOMPARE(desktop.messages.size(), 1);
        const QString text = desktop.lastMessage().text;
        QVERIFY2(text.startsWith(QStringLiteral("该合同文件正在被另一个程序使用")),
                 qPrintable(text));
        QVERIFY2(text.contains(QString::number(other.pid())), qPrintable(text));
        QCOMPARE(desktop.lastMessage().icon, MessageIcon::Warning);
        // The open file stays the open one; the other's file is untouched.
        QCOMPARE(window.query().contractFile(), first);
        QCOMPARE(fileBytes(file_), before);

        // Nor is it replaced by a new file, though the system would let it be deleted.
        desktop.filesToSave.enqueue(file_);
        window.findChild<QAction*>(QStringLiteral("TBItem25"))->trigger();
        QCOMPARE(desktop.messageTexts().mid(1),
                 QStringList({"文件已经存在，是否覆盖？", "目标文件正在使用，无法删除"}));
        QCOMPARE(window.query().contractFile(), first);
        QCOMPARE(fileBytes(file_), before);
        desktop.messages.clear();

        other.die();
        window.guard().run([&] { window.OpenContractFile(file_); });
        QVERIFY(desktop.messages.isEmpty());
        QCOMPARE(window.query().contractFile(), file_);
        QCOMPARE(window.tree().view()->topLevelItemCount(), 1);
    }

    void connectionsOfOneProgramShareTheFileAndLeaveNothingBeside() {
        {
            ContractQuery one;
            ContractQuery two;
            one.setContractFile(file_);
            two.setContractFile(file_);
            one.RunCommand(QStringLiteral("update htmain set conname='乙' where conid=1"));
            two.RunQuery(QStringLiteral("select conname from htmain"));
            QCOMPARE(two.text("conname"), QStringLiteral("乙"));
            QVERIFY(QFileInfo::exists(ContractFileLock::lockFilePath(file_)));
        }
        QCOMPARE(folderEntries(file_), QStringList{"test.pzq"});
    }
};

// A second copy of the program for the test above: it opens the file, says so, and holds
// it until it is ended.
int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], kHoldArgument) == 0) {
        QCoreApplication app(argc, argv);
        ContractQuery query;
        query.setContractFile(QString::fromLocal8Bit(argv[2]));
        query.RunQuery(QStringLiteral("select count(*) as a from htmain"));
        query.close();
        fputs("held\n", stdout);
        fflush(stdout);
        return app.exec();
    }
    QApplication app(argc, argv);
    FileSafetyTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filesafety.moc"
