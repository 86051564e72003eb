// "打开合同文件" on a contract file of the earlier Windows program: the question, the
// proposed name, the conversion under its progress dialog, and the new file opened.
#include <QtTest>
#include <QtWidgets>

#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "LegacyImport.h"
#include "ScriptedDesktop.h"
#include "Tmainf.h"

class LegacyOpenTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    std::unique_ptr<ScriptedDesktop> desktop;
    std::unique_ptr<Tmainf> window;
    QString oldFile;

    void openThroughTheDialog(const QString& path) {
        desktop->filesToOpen.enqueue(path);
        window->findChild<QAction*>("TBItem17")->trigger();
    }
    bool welcomeShown() const { return window->findChild<QWidget*>("Panel21")->isVisible(); }
    QStringList filesInFolder() const {
        return QDir(files->path(QString())).entryList(QDir::Files);
    }

  private Q_SLOTS:
    void init() {
        files = std::make_unique<ContractFileFixture>();
        desktop = std::make_unique<ScriptedDesktop>();
        window = std::make_unique<Tmainf>(*desktop, files->programFolder());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        oldFile = files->path("旧合同.pzq");
        QVERIFY(QFile::copy(ContractFileFixture::testData() + "/legacy-sample.pzq", oldFile));
    }
    void cleanup() {
        window.reset();
        desktop.reset();
        files.reset();
    }

    void yesConvertsIntoTheProposedFileAndOpensIt() {
        const QByteArray oldBytes = fileBytes(oldFile);
        desktop->answers.enqueue(MessageAnswer::Yes);
        desktop->filesToSave.enqueue(files->path("旧合同（新）.pzq"));
        openThroughTheDialog(oldFile);

        QCOMPARE(desktop->messages.size(), 1);
        QVERIFY(desktop->messages[0].text.contains("旧版（Access格式）"));
        QCOMPARE(desktop->messages[0].buttons, MessageButtons::YesNo);
        QCOMPARE(desktop->messages[0].icon, MessageIcon::Question);
        QCOMPARE(desktop->fileDialogs.last().filter, QStringLiteral("合同管理文件(*.pzq)"));
        QCOMPARE(desktop->fileDialogs.last().proposedPath, files->path("旧合同（新）.pzq"));

        QCOMPARE(window->query().contractFile(), files->path("旧合同（新）.pzq"));
        QCOMPARE(fileBytes(oldFile), oldBytes);
        QVERIFY(!welcomeShown());
        // The tree the earlier program showed: three top-level contracts, seven in all.
        QCOMPARE(window->tree().view()->topLevelItemCount(), 3);
        QCOMPARE(window->tree().NodeList().size(), size_t(7));
        QCOMPARE(window->tree().view()->topLevelItem(0)->child(0)->child(0)->text(0),
                 QStringLiteral("管材采购"));
        QCOMPARE(filesInFolder(), QStringList({"旧合同.pzq", "旧合同（新）.pzq"}));
    }

    void theProposedNameKeepsTheFolderAndPutsNewBeforeTheExtension_data() {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("pzq") << "/d/合同.pzq"
                             << "/d/合同（新）.pzq";
        QTest::newRow("two dots") << "/d/2019.合同.mdb"
                                  << "/d/2019.合同（新）.mdb";
        QTest::newRow("no extension") << "/d/合同"
                                      << "/d/合同（新）";
    }
    void theProposedNameKeepsTheFolderAndPutsNewBeforeTheExtension() {
        QFETCH(QString, old);
        QFETCH(QString, proposed);
        QCOMPARE(proposedConvertedPath(old), proposed);
    }

    void aNameWithoutExtensionGetsPzq() {
        desktop->filesToSave.enqueue(files->path("转换后"));
        openThroughTheDialog(oldFile);
        QCOMPARE(window->query().contractFile(), files->path("转换后.pzq"));
    }

    void noOrACancelledSaveDialogChangesNothing_data() {
        QTest::addColumn<bool>("convert");
        QTest::newRow("no") << false;
        QTest::newRow("save dialog cancelled") << true;
    }
    void noOrACancelledSaveDialogChangesNothing() {
        QFETCH(bool, convert);
        desktop->answers.enqueue(convert ? MessageAnswer::Yes : MessageAnswer::No);
        openThroughTheDialog(oldFile);
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->fileDialogs.size(), convert ? 2 : 1);
        QCOMPARE(filesInFolder(), QStringList({"旧合同.pzq"}));
        QVERIFY(window->query().contractFile().isEmpty());
        QVERIFY(welcomeShown());
    }

    void anExistingFileIsReplacedOnlyWhenThePersonSaysSo() {
        const QString target = files->path("已有.pzq");
        QFile existing(target);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("what was there");
        existing.close();

        desktop->answers.enqueue(MessageAnswer::Yes);
        desktop->answers.enqueue(MessageAnswer::No);
        desktop->filesToSave.enqueue(target);
        openThroughTheDialog(oldFile);
        QCOMPARE(desktop->lastMessage().text, QStringLiteral("文件已经存在，是否覆盖？"));
        QCOMPARE(fileBytes(target), QByteArray("what was there"));
        QVERIFY(window->query().contractFile().isEmpty());

        desktop->filesToSave.enqueue(target);  // both questions answered Yes
        openThroughTheDialog(oldFile);
        QCOMPARE(window->query().contractFile(), target);
        window->query().RunQuery("select count(*) as a from htmain");
        QCOMPARE(window->query().integer("a"), 7);
    }

    void aDamagedFileIsExplainedAndLeavesNoNewFile() {
        QFile damaged(oldFile);
        QVERIFY(damaged.resize(damaged.size() / 2));
        const QByteArray oldBytes = fileBytes(oldFile);
        desktop->filesToSave.enqueue(files->path("新.pzq"));
        openThroughTheDialog(oldFile);
        QCOMPARE(desktop->messages.size(), 2);
        QCOMPARE(desktop->lastMessage().icon, MessageIcon::Error);
        QVERIFY2(desktop->lastMessage().text.startsWith("旧版合同文件已损坏：表 "),
                 qPrintable(desktop->lastMessage().text));
        QCOMPARE(filesInFolder(), QStringList({"旧合同.pzq"}));
        QCOMPARE(fileBytes(oldFile), oldBytes);
        QVERIFY(welcomeShown());
    }

    void theProgressDialogCancels() {
        desktop->filesToSave.enqueue(files->path("新.pzq"));
        bool sawDialog = false;
        QTimer::singleShot(0, this, [&sawDialog] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QProgressDialog*>(widget);
                    dialog && dialog->isVisible()) {
                    sawDialog = dialog->windowTitle() == "转换旧版合同文件";
                    dialog->cancel();
                }
        });
        openThroughTheDialog(oldFile);
        QVERIFY(sawDialog);
        QCOMPARE(desktop->messages.size(), 1);  // only the question: a cancel needs no message
        QCOMPARE(filesInFolder(), QStringList({"旧合同.pzq"}));
        QVERIFY(window->query().contractFile().isEmpty());
    }
};

QTEST_MAIN(LegacyOpenTest)
#include "tst_legacyopen.moc"
