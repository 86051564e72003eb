// The drop-down lists of the page "合同信息" and the option dialog that edits them, on a
// contract file and on a server.
#include <QtTest>
#include <QtWidgets>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractInfoPage.h"
#include "ContractQuery.h"
#include "EngineFixture.h"
#include "ScriptedDesktop.h"
#include "Tinfoset.h"
#include "Tmainf.h"
#include "Typing.h"

namespace {

QStringList entries(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// The table as "id kind text" lines, in the order the engine returns them.
QStringList infosetRows(const EngineFixture& data) {
    const auto reader = data.openQuery();
    QStringList rows;
    for (reader->RunQuery(QStringLiteral("select * from infoset")); !reader->eof(); reader->next())
        rows << QStringLiteral("%1 %2 %3")
                    .arg(reader->integer("id"))
                    .arg(reader->text("infosty"), reader->text("infotext"));
    return rows;
}

const QStringList kSeed = {
    "insert into infoset (id,infosty,infotext) values (1,'gclb','土建')",
    "insert into infoset (id,infosty,infotext) values (2,'bmlb','工程部')",
    "insert into infoset (id,infosty,infotext) values (3,'xxxx','其他')",
    "insert into infoset (id,infosty,infotext) values (4,'BMLB','大写')",
    "insert into infoset (id,infosty,infotext) values (5,'bmlb','财务部')",
    "insert into infoset (id,infosty,infotext) values (6,'htpz','设备')",
    "insert into infoset (id,infosty,infotext) values (7,'bmlb','工程部')",
    "insert into infoset (id,infosty,infotext) values (8,'htlb','施工合同')",
    "insert into ghdwinfo (id,dwmc) values (1,'张三公司')",
    "insert into ghdwinfo (id,dwmc) values (2,'阿里')",
    "insert into ghdwinfo (id,dwmc) values (3,'王五')",
    "insert into ghdwinfo (id,dwmc) values (4,'李四')",
    "insert into ghdwinfo (id,dwmc) values (5,'阿里')",
};

const char* const kMemos[] = {"Memo1", "Memo2", "Memo3", "Memo4"};

}  // namespace

class CategoryListsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<CommandGuard> guard_;
    std::unique_ptr<ContractQuery> query_;
    std::unique_ptr<ContractInfoPage> page_;
    QStringList refills_;  // the scopes the dialog asked for

    QComboBox* combo(const char* name) const { return page_->findChild<QComboBox*>(name); }

    std::unique_ptr<Tinfoset> openDialog() {
        auto dialog = std::make_unique<Tinfoset>(*query_, *guard_, [this](const QString& scope) {
            refills_ << scope;
            page_->FillCategoryLists(scope);
        });
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get())) qFatal("the dialog did not show");
        return dialog;
    }
    static QPlainTextEdit* memo(const Tinfoset& dialog, int i) {
        return dialog.findChild<QPlainTextEdit*>(kMemos[i]);
    }
    static void click(const Tinfoset& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
    }

  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data_ = std::make_unique<EngineFixture>(currentEngine());
        data_->executeOutside(kSeed);
        desktop_ = std::make_unique<ScriptedDesktop>();
        guard_ = std::make_unique<CommandGuard>(*desktop_, nullptr);
        query_ = data_->openQuery();
        page_ = std::make_unique<ContractInfoPage>(*query_, *desktop_);
        page_->ClearContractPage(desktop_->now());
        refills_.clear();
    }
    void cleanup() {
        page_.reset();
        query_.reset();
        guard_.reset();
        desktop_.reset();
        data_.reset();
    }

    // ------------------------------------------------------------ FillCategoryLists

    void listsOfferTheirKindsInTableOrderAndKeepTheirTexts() {
        data_->executeOutside(
            {"insert into htmain (conid,concode,conname) values (1,'0001','甲')"});
        page_->LoadContractRecord(1);
        retype(combo("ComboBox2"), QStringLiteral("旧部门"));  // not an entry
        retype(combo("ComboBox3"), QStringLiteral("土建"));    // an entry

        page_->FillCategoryLists(QStringLiteral("all"));
        QCOMPARE(entries(combo("ComboBox2")), (QStringList{"工程部", "财务部", "工程部"}));
        QCOMPARE(entries(combo("ComboBox3")), QStringList{"土建"});
        QCOMPARE(entries(combo("ComboBox4")), QStringList{"施工合同"});
        QCOMPARE(entries(combo("ComboBox5")), QStringList{"设备"});
        QCOMPARE(entries(combo("ComboBox1")),
                 (QStringList{"阿里", "阿里", "李四", "王五", "张三公司"}));

        QCOMPARE(combo("ComboBox2")->currentText(), QStringLiteral("旧部门"));
        QCOMPARE(combo("ComboBox3")->currentText(), QStringLiteral("土建"));
        QCOMPARE(combo("ComboBox1")->currentText(), QString());  // the first entry did not move in
        QCOMPARE(combo("ComboBox5")->currentText(), QString());

        QVERIFY(page_->saveContractRecord(1));
        const auto reader = data_->openQuery();
        reader->RunQuery(QStringLiteral("select partname,gclb,dwmc from htmain where conid=1"));
        QCOMPARE(reader->text("partname"), QStringLiteral("旧部门"));
        QCOMPARE(reader->text("gclb"), QStringLiteral("土建"));
        QCOMPARE(reader->text("dwmc"), QString());
    }

    void aScopeRefillsOnlyItsLists_data() {
        QTest::addColumn<QString>("scope");
        QTest::addColumn<bool>("categories");
        QTest::addColumn<bool>("suppliers");
        QTest::newRow("all") << "all" << true << true;
        QTest::newRow("setinfo") << "setinfo" << true << false;
        QTest::newRow("ghdw") << "ghdw" << false << true;
        QTest::newRow("other case") << "ALL" << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void aScopeRefillsOnlyItsLists() {
        QFETCH(QString, scope);
        QFETCH(bool, categories);
        QFETCH(bool, suppliers);
        page_->FillCategoryLists(QStringLiteral("all"));
        data_->executeOutside(
            {"insert into infoset (id,infosty,infotext) values (9,'htpz','新项目')",
             "insert into ghdwinfo (id,dwmc) values (6,'新单位')"});
        page_->FillCategoryLists(scope);
        QCOMPARE(entries(combo("ComboBox5")).contains("新项目"), categories);
        QCOMPARE(entries(combo("ComboBox1")).contains("新单位"), suppliers);
        // A list that is not refilled keeps what it had.
        QCOMPARE(entries(combo("ComboBox2")).size(), 3);
        QCOMPARE(entries(combo("ComboBox1")).size(), suppliers ? 6 : 5);
    }

    void anEmptyTableGivesEmptyListsAndAnEmptyDialog() {
        data_->executeOutside({"delete from infoset", "delete from ghdwinfo"});
        page_->FillCategoryLists(QStringLiteral("all"));
        for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5"})
            QCOMPARE(combo(name)->count(), 0);
        const auto dialog = openDialog();
        for (int i = 0; i < 4; ++i) QCOMPARE(memo(*dialog, i)->toPlainText(), QString());
        QVERIFY(desktop_->messages.isEmpty());
    }

    // ------------------------------------------------------------ the dialog

    void theDialogShowsFourBoxesSideBySide() {
        const auto dialog = openDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("选项设置"));
        QCOMPARE(dialog->size(), QSize(631, 309));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        int right = 0;
        const QStringList titles = {"所属部门", "合同类别", "工程类别", "合同项目"};
        for (int i = 0; i < 4; ++i) {
            auto* group = dialog->findChild<QGroupBox*>(QStringLiteral("GroupBox%1").arg(i + 1));
            QVERIFY(group);
            QCOMPARE(group->title(), titles[i]);
            QCOMPARE(group->size(), QSize(153, 249));
            QCOMPARE(memo(*dialog, i)->parentWidget(), group);
            QVERIFY(group->x() >= right);
            right = group->geometry().right();
            QVERIFY(memo(*dialog, i)->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff);
        }
        auto* ok = dialog->findChild<QPushButton*>("FlatButton1");
        auto* cancel = dialog->findChild<QPushButton*>("FlatButton2");
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QCOMPARE(cancel->text(), QStringLiteral("取消"));
        QVERIFY(ok->y() > dialog->findChild<QGroupBox*>("GroupBox1")->geometry().bottom());
        QVERIFY(ok->x() > dialog->width() / 2 && ok->x() < cancel->x());
        QVERIFY(dialog->rect().contains(cancel->geometry()));
    }

    void theDialogShowsEachListInItsBox() {
        const auto dialog = openDialog();
        QCOMPARE(memo(*dialog, 0)->toPlainText(), QStringLiteral("工程部\n财务部\n工程部"));
        QCOMPARE(memo(*dialog, 1)->toPlainText(), QStringLiteral("施工合同"));
        QCOMPARE(memo(*dialog, 2)->toPlainText(), QStringLiteral("土建"));
        QCOMPARE(memo(*dialog, 3)->toPlainText(), QStringLiteral("设备"));
    }

    void confirmingRewritesTheTable_data() {
        QTest::addColumn<QStringList>("typed");  // the four boxes
        QTest::addColumn<QStringList>("rows");
        const QString longLine = QString(40, QChar(0x5DE5));
        QTest::newRow("ids run across the lists")
            << QStringList{"  工程部  \n\n财务部", "   ", "土建\n\t安装 'A' \n\u3000装饰\u3000",
                           "设备"}
            << QStringList{"1 bmlb 工程部",   "2 bmlb 财务部", "3 gclb 土建",
                           "4 gclb 安装 'A'", "5 gclb 装饰",   "6 htpz 设备"};
        QTest::newRow("duplicates are kept")
            << QStringList{"甲\n甲", "", "", ""} << QStringList{"1 bmlb 甲", "2 bmlb 甲"};
        QTest::newRow("a wrapped line is one entry")
            << QStringList{"", longLine, "", ""} << QStringList{"1 htlb " + longLine};
        QTest::newRow("inner blanks as typed")
            << QStringList{"", "", "", "O'Neil  公司"} << QStringList{"1 htpz O'Neil  公司"};
        QTest::newRow("all empty") << QStringList{"", "", "", ""} << QStringList{};
    }
    void confirmingRewritesTheTable() {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, rows);
        page_->FillCategoryLists(QStringLiteral("all"));
        retype(combo("ComboBox4"), QStringLiteral("旧类别"));
        const auto dialog = openDialog();
        for (int i = 0; i < 4; ++i) retype(memo(*dialog, i), typed[i]);
        if (QTest::currentDataTag() == QByteArray("a wrapped line is one entry"))
            QVERIFY(memo(*dialog, 1)->document()->firstBlock().layout()->lineCount() > 1);

        click(*dialog, "FlatButton1");
        QVERIFY(desktop_->messages.isEmpty());
        QCOMPARE(infosetRows(*data_), rows);
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(refills_, QStringList{"setinfo"});

        // The page offers the new entries in line order and keeps its texts.
        QStringList offered;
        for (const char* name : {"ComboBox2", "ComboBox4", "ComboBox3", "ComboBox5"})
            offered << entries(combo(name)).join('/');
        QStringList expected = {"", "", "", ""};
        for (const QString& row : rows) {
            const QString kind = row.section(' ', 1, 1);
            const int i = QStringList{"bmlb", "htlb", "gclb", "htpz"}.indexOf(kind);
            expected[i] += (expected[i].isEmpty() ? "" : "/") + row.section(' ', 2);
        }
        QCOMPARE(offered, expected);
        QCOMPARE(combo("ComboBox4")->currentText(), QStringLiteral("旧类别"));
        QCOMPARE(entries(combo("ComboBox1")).size(), 5);  // suppliers not touched
    }

    void cancellingChangesNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("取消") << 0;
        QTest::newRow("title bar") << 1;
        QTest::newRow("Escape") << 2;
    }
    void cancellingChangesNothing() {
        QFETCH(int, how);
        page_->FillCategoryLists(QStringLiteral("all"));
        const QStringList before = infosetRows(*data_);
        const QByteArray bytesBefore = data_->onServer() ? QByteArray() : fileBytes(data_->place());
        const auto dialog = openDialog();
        retype(memo(*dialog, 0), QStringLiteral("新部门"));
        if (how == 0) click(*dialog, "FlatButton2");
        if (how == 1) dialog->close();
        if (how == 2) QTest::keyClick(memo(*dialog, 0), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(refills_.isEmpty());
        QCOMPARE(entries(combo("ComboBox2")), (QStringList{"工程部", "财务部", "工程部"}));
        QCOMPARE(infosetRows(*data_), before);
        if (!data_->onServer()) QCOMPARE(fileBytes(data_->place()), bytesBefore);
    }

    void aFailingConfirmKeepsTheOldEntries() {
        data_->refuseChanges("infoset", "insert", "拒绝", "new.infotext='坏'");
        const QStringList before = infosetRows(*data_);
        const auto dialog = openDialog();
        retype(memo(*dialog, 0), QStringLiteral("新甲\n坏"));
        retype(memo(*dialog, 3), QStringLiteral("新丁"));

        click(*dialog, "FlatButton1");
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY2(desktop_->lastMessage().text.contains(QStringLiteral("拒绝")),
                 qPrintable(desktop_->lastMessage().text));
        QCOMPARE(infosetRows(*data_), before);
        QVERIFY(dialog->isVisible());
        QCOMPARE(memo(*dialog, 0)->toPlainText(), QStringLiteral("新甲\n坏"));
        QVERIFY(refills_.isEmpty());

        // Pressing again after correcting the entry rewrites the whole table.
        retype(memo(*dialog, 0), QStringLiteral("新甲\n好"));
        click(*dialog, "FlatButton1");
        QCOMPARE(infosetRows(*data_), (QStringList{"1 bmlb 新甲", "2 bmlb 好", "3 htlb 施工合同",
                                                   "4 gclb 土建", "5 htpz 新丁"}));
        QVERIFY(!dialog->isVisible());
    }

    void anEntryWithANulCharacterIsRefusedByItsList() {
        const QStringList before = infosetRows(*data_);
        const auto dialog = openDialog();
        memo(*dialog, 2)->setPlainText(QStringLiteral("土") + QChar(0) + QStringLiteral("建"));
        click(*dialog, "FlatButton1");
        QCOMPARE(desktop_->messageTexts(),
                 QStringList{"“工程类别”中含有空字符（NUL），无法保存，请删除后再试"});
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Warning);
        QCOMPARE(infosetRows(*data_), before);
        QVERIFY(dialog->isVisible());
        QVERIFY(refills_.isEmpty());
    }

    void listsThatCannotBeReadCannotBeConfirmed() {
        // Empty boxes that do not show the table must not replace it.
        if (data_->onServer())
            data_->executeOutside({"alter table infoset rename to infoset_gone"});
        else
            query_->setContractFile(data_->files().path(QStringLiteral("gone.pzq")));
        const auto dialog = openDialog();
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(!dialog->findChild<QPushButton*>("FlatButton1")->isEnabled());
        QVERIFY(dialog->findChild<QPushButton*>("FlatButton2")->isEnabled());
    }

    // ------------------------------------------------------------ from the main window

    void theOptionCommandRefreshesThePage() {
        ScriptedDesktop desktop;
        Tmainf window(desktop, data_->files().programFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(data_->openIn(window, desktop));
        auto* page = window.findChild<ContractInfoPage*>(QStringLiteral("TabSheet1"));
        auto* items = page->findChild<QComboBox*>("ComboBox5");
        QCOMPARE(entries(items), QStringList{"设备"});
        QCOMPARE(entries(page->findChild<QComboBox*>("ComboBox1")).size(), 5);

        bool typed = false;
        QTimer::singleShot(0, &window, [&] {
            auto* dialog = qobject_cast<Tinfoset*>(QApplication::activeModalWidget());
            if (!dialog) return;
            auto* box = dialog->findChild<QPlainTextEdit*>("Memo4");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
            typeText(box, QStringLiteral("\n材料"));
            typed = true;
            QTest::mouseClick(dialog->findChild<QPushButton*>("FlatButton1"), Qt::LeftButton);
        });
        // Never hang on a dialog the test could not reach.
        QTimer::singleShot(5000, &window, [] {
            if (auto* open = QApplication::activeModalWidget()) open->close();
        });
        window.findChild<QAction*>(QStringLiteral("TBItem21"))->trigger();
        QVERIFY(typed);
        QVERIFY(desktop.messages.isEmpty());
        QCOMPARE(entries(items), (QStringList{"设备", "材料"}));
        QVERIFY(!window.findChild<Tinfoset*>());
    }
};

QTEST_MAIN(CategoryListsTest)
#include "tst_categorylists.moc"
