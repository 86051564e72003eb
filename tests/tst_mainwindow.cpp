// The main window before and after a contract file is opened: its command table, the
// welcome panel, the status-bar hints, the unfinished commands and the error handler.
#include <QtTest>

#include <QAccessible>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include <QMessageBox>
#include <QPushButton>

#include "AppError.h"
#include "ChineseTranslations.h"
#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ScriptedDesktop.h"
#include "Tmainf.h"
#include "Taboutf.h"

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    std::unique_ptr<ScriptedDesktop> desktop;
    std::unique_ptr<Tmainf> window;

    QAction* action(const QString& name) const {
        auto* found = window->findChild<QAction*>(name);
        if (!found) qWarning() << "no action" << name;
        return found;
    }

private Q_SLOTS:
    void init() {
        files = std::make_unique<ContractFileFixture>();
        desktop = std::make_unique<ScriptedDesktop>();
        window = std::make_unique<Tmainf>(*desktop, files->programFolder());
        window->resize(1000, 700);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() {
        window.reset();
        desktop.reset();
        files.reset();
    }

    void qtsOwnButtonsSpeakChinese() {
        QVERIFY(installChineseTranslations());
        QMessageBox box(QMessageBox::Question, "确认", "?", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("是(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("否(&N)"));
    }

    void captionAndPages() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Vemora合同管理软件"));
        auto* pages = window->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        QVERIFY(pages);
        const QStringList captions = {"合同信息", "合同文本", "付款与报告", "索赔与报告", "合同原件", "其他原件"};
        QCOMPARE(pages->count(), captions.size());
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(pages->tabText(i), captions[i]);
            QCOMPARE(pages->widget(i)->objectName(), QStringLiteral("TabSheet%1").arg(i + 1));
        }
        QCOMPARE(pages->currentIndex(), 0);
    }

    void commandTableAtStart_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        const struct {
            const char *name, *caption;
            bool enabled, visible;
        } rows[] = {
            // menu bar
            {"TBSubmenuItem5", "文件(&F)", true, true},      {"TBItem5", "添加合同", false, true},
            {"TBItem4", "添加子合同", false, true},           {"TBItem3", "删除合同", false, true},
            {"TBItem2", "保存", false, true},                 {"TBItem1", "退出", true, true},
            {"TBSubmenuItem4", "操作(&O)", false, true},     {"TBItem13", "查询", true, true},
            {"TBItem12", "模板编辑", true, true},             {"TBItem11", "选项设置", true, true},
            {"TBItem9", "节点全部展开", true, true},          {"TBItem8", "节点全部合并", true, true},
            {"TBItem7", "统计", true, true},                  {"TBItem6", "打印", true, true},
            {"TBSubmenuItem3", "辅助项目(&A)", false, true}, {"TBItem14", "供货单位信息", true, true},
            {"TBItem10", "自定义模板替换变量", true, true},   {"TBSubmenuItem2", "帮助(&H)", true, true},
            {"TBItem16", "帮助", true, true},                 {"TBItem15", "关于", true, true},
            // main toolbar
            {"TBItem17", "打开合同文件", true, true},         {"TBItem25", "新建合同文件", true, true},
            {"TBItem24", "保存", false, true},                {"TBItem23", "查询", false, true},
            {"TBItem22", "模板管理", true, true},             {"TBItem21", "设置信息", false, true},
            {"TBItem55", "供货单位信息", false, true},        {"TBItem20", "统计", false, true},
            {"TBItem19", "打印", false, true},                {"TBItem18", "关闭", true, true},
            // tree toolbar
            {"TBItem31", "新增", false, true},                {"TBItem26", "子合同", false, true},
            {"TBItem30", "删除", false, true},                {"TBItem27", "设置为独立合同", false, true},
            {"TBItem29", "使用模板", false, false},
            // tree popup menu
            {"TBItem32", "新增", true, true},                 {"TBItem33", "子合同", true, true},
            {"TBItem34", "删除", true, true},                 {"TBItem28", "设置为独立合同", true, true},
            {"TBItem51", "合并展开", true, true},             {"TBItem50", "全部合并", true, true},
            {"TBItem37", "使用模板", true, true},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << QString::fromUtf8(row.caption) << row.enabled << row.visible;
    }
    void commandTableAtStart() {
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        QFETCH(bool, visible);
        QAction* item = action(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(item);
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->isEnabled(), enabled);
        QCOMPARE(item->isVisible(), visible);
    }

    void barsHoldTheirItemsInOrder() {
        const auto namesOn = [this](const QString& bar) {
            QStringList names;
            for (QAction* a : window->findChild<QWidget*>(bar)->actions())
                names << (a->isSeparator() ? QStringLiteral("—") : a->objectName());
            return names;
        };
        QCOMPARE(namesOn("TBToolbar1"), QString("TBItem17 TBItem25 TBItem24 — TBItem23 TBItem22 TBItem21 "
                                                "TBItem55 TBItem20 TBItem19 — TBItem18").split(' '));
        QCOMPARE(namesOn("TBToolbar3"), QString("TBItem31 TBItem26 TBItem30 — TBItem27 — TBItem29").split(' '));
        QCOMPARE(namesOn("TBPopupMenu1"), QString("TBItem32 TBItem33 TBItem34 — TBItem28 — TBItem51 TBItem50 "
                                                  "— TBItem37").split(' '));
        QCOMPARE(namesOn("TBSubmenuItem4"), QString("TBItem13 TBItem12 TBItem11 — TBItem9 TBItem8 — TBItem7 "
                                                    "TBItem6").split(' '));
        auto* mainBar = window->findChild<QToolBar*>(QStringLiteral("TBToolbar1"));
        QVERIFY(!mainBar->isMovable());
        QVERIFY(!mainBar->isFloatable());
    }

    void hintsGoToTheFirstStatusPanel_data() {
        QTest::addColumn<QString>("hint");
        QTest::newRow("TBItem25") << "新建合同文件";
        QTest::newRow("TBItem21") << "设置信息";
        QTest::newRow("TBItem31") << "增加合同";
        QTest::newRow("TBItem26") << "增加当前合同的子合同";
    }
    void hintsGoToTheFirstStatusPanel() {
        QFETCH(QString, hint);
        QAction* item = action(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(item->statusTip(), hint);
        QToolButton* button = nullptr;
        for (QObject* o : item->associatedObjects())
            if ((button = qobject_cast<QToolButton*>(o))) break;
        QVERIFY(button);
        QStatusTipEvent tip(item->statusTip());
        QCoreApplication::sendEvent(button, &tip);
        auto* status = window->findChild<QWidget*>(QStringLiteral("StatusBar1"));
        const auto panels = status->findChildren<QLabel*>();
        QVERIFY(std::any_of(panels.begin(), panels.end(),
                            [&](QLabel* l) { return l->width() == 300 && l->text() == hint; }));
    }

    void welcomePanelCoversThePagesAndKeepsItsBoxInPlace() {
        auto* welcome = window->findChild<QWidget*>(QStringLiteral("Panel21"));
        auto* pages = window->findChild<QWidget*>(QStringLiteral("PageControl1"));
        QVERIFY(welcome->isVisible());
        QCOMPARE(welcome->geometry(), pages->geometry());
        auto* box = window->findChild<QWidget*>(QStringLiteral("Panel23"));
        QCOMPARE(box->geometry(), QRect(96, 72, 425, 289));
        // Lowered outside, raised inside.
        auto* outer = qobject_cast<QFrame*>(box);
        QVERIFY(outer);
        QCOMPARE(outer->frameShadow(), QFrame::Sunken);
        const auto inner = outer->findChildren<QFrame*>(Qt::FindDirectChildrenOnly);
        QVERIFY(!inner.isEmpty());
        QCOMPARE(inner.first()->frameShadow(), QFrame::Raised);
        window->resize(1300, 900);
        QTest::qWait(20);
        QCOMPARE(box->geometry(), QRect(96, 72, 425, 289));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label43"))->text(), QStringLiteral("谢谢您使用Vemora系列软件"));
    }

    void linkLabelsHoverAndOpenThroughTheShell() {
        auto* web = window->findChild<QLabel*>(QStringLiteral("Label49"));
        QCOMPARE(web->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QVERIFY(!web->font().underline());
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(web, &enter);
        QCOMPARE(web->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(web->font().underline());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(web, &leave);
        QCOMPARE(web->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QVERIFY(!web->font().underline());

        QTest::mouseClick(web, Qt::LeftButton);
        QTest::mouseClick(window->findChild<QLabel*>(QStringLiteral("Label50")), Qt::LeftButton);
        QTest::mouseClick(window->findChild<QLabel*>(QStringLiteral("Label44")), Qt::LeftButton);
        QCOMPARE(desktop->opened.size(), 3);
        QCOMPARE(desktop->opened[0].path(), QStringLiteral("/index.php"));
        QCOMPARE(desktop->opened[1], desktop->opened[0]);
        QCOMPARE(desktop->opened[2].scheme(), QStringLiteral("mailto"));
    }

    void unfinishedCommandsSaySo_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("模板管理") << "TBItem22";
        QTest::newRow("查询") << "TBItem13";
        QTest::newRow("模板编辑") << "TBItem12";
        QTest::newRow("统计") << "TBItem7";
    }
    void unfinishedCommandsSaySo() {
        QFETCH(QString, item);
        action(item)->setEnabled(true);  // the menu items wait for an open file
        action(item)->trigger();
        QCOMPARE(desktop->messages.size(), 1);
        QCOMPARE(desktop->lastMessage().text, QStringLiteral("此功能尚未完成"));
        QCOMPARE(desktop->lastMessage().title, QStringLiteral("提示"));
        QCOMPARE(desktop->lastMessage().icon, MessageIcon::Warning);
        QCOMPARE(desktop->lastMessage().buttons, MessageButtons::Ok);
    }

    void itemsWithoutCommandDoNothing() {
        for (const char* name : {"TBItem16", "TBItem10", "TBItem37"}) action(name)->trigger();
        QVERIFY(desktop->messages.isEmpty());
        QVERIFY(window->isVisible());
    }

    void aboutBox() {
        Taboutf about(window.get());
        QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
        QVERIFY(about.width() >= 301 && about.height() >= 189);
        QCOMPARE(about.minimumSize(), about.maximumSize());
        const auto labels = about.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](QLabel* l) { return l->text() == "V1.0"; }));
        about.show();
        QTest::mouseClick(about.findChild<QWidget*>(QStringLiteral("FlatButton1")), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void closeEndsTheWindow() {
        action("TBItem18")->trigger();
        QVERIFY(!window->isVisible());
    }

    void errorsOfACommandAreShownAndTheProgramGoesOn() {
        CommandGuard guard(*desktop, window.get());
        guard.run([] { throw AppError(QStringLiteral("数据库语句执行出错"), QStringLiteral("no such table: htmain")); });
        guard.run([] { throw AppError(QStringLiteral("已有句号。")); });
        guard.run([] { throw std::runtime_error("boom"); });
        QCOMPARE(desktop->messageTexts(),
                 QStringList({"数据库语句执行出错：no such table: htmain。", "已有句号。", "程序内部错误：boom。"}));
        QCOMPARE(desktop->lastMessage().icon, MessageIcon::Error);
        QCOMPARE(desktop->lastMessage().title, QCoreApplication::applicationName());
        QVERIFY(window->isVisible());
    }

    void everyCommandAndFieldIsReachableByItsCaption() {
        // Toolbar buttons are named by their caption; every edit field by its caption.
        for (QToolButton* button : window->findChildren<QToolButton*>()) {
            if (!button->defaultAction() || button->defaultAction()->objectName().isEmpty()) continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button);
            QCOMPARE(face->text(QAccessible::Name), button->defaultAction()->text());
        }
        for (QWidget* field : window->findChildren<QWidget*>()) {
            if (!field->inherits("QLineEdit") && !field->inherits("QComboBox") &&
                !field->inherits("QAbstractSpinBox") && !field->inherits("QPlainTextEdit"))
                continue;
            if (field->parentWidget() && field->parentWidget()->inherits("QAbstractSpinBox")) continue;
            if (field->parentWidget() && field->parentWidget()->inherits("QComboBox")) continue;
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(field);
            QVERIFY2(!face->text(QAccessible::Name).isEmpty(), qPrintable(field->objectName()));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
