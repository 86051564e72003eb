// The five record pages before any record is loaded: their named controls, the captions a
// person (and a screen reader) finds them by, the reset of their editors and the empty list.
#include <QAccessible>
#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <memory>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractInfoPage.h"
#include "ContractQuery.h"
#include "DocumentPage.h"
#include "LedgerPage.h"
#include "LibreOfficeConverter.h"
#include "ScanPage.h"
#include "ScratchFolder.h"
#include "ScriptedDesktop.h"

namespace {

using Captions = QList<QPair<QString, QString>>;  // objectName, caption

// One page under test, driven through the calls the main window makes.
struct Page {
    QWidget* widget;
    std::function<void(std::optional<qint64>)> load;
    std::function<void()> clear;
};

Page makePage(const QString& name, ContractQuery& query, const CommandGuard& guard) {
    if (name == QLatin1String("TabSheet1")) {
        auto* page = new ContractInfoPage(query, guard.desktop());
        return {page, [page](auto id) { page->LoadContractRecord(id.value_or(0)); },
                [page, &guard] { page->ClearContractPage(guard.desktop().now()); }};
    }
    if (name == QLatin1String("TabSheet2")) {
        static const ScratchFolder scratch(QDir::tempPath());
        static LibreOfficeConverter converter;  // never asked: nothing is imported here
        auto* page = new DocumentPage(query, guard, scratch, converter, {});
        // Reading a contract's documents needs a contract file: tst_documents has that.
        return {page, [page](auto id) { if (!id) page->LoadDocumentList(id); },
                [page] { page->clearEditors(); }};
    }
    if (name == QLatin1String("TabSheet3") || name == QLatin1String("TabSheet4")) {
        auto* page = new LedgerPage(
            name == QLatin1String("TabSheet3") ? paymentLedger() : claimLedger(), query, guard,
            [] { return std::optional<qint64>(); });
        return {page, [page](auto id) { page->loadList(id); }, [page] { page->clearEditors(); }};
    }
    static const ScratchFolder scratch(QDir::tempPath());  // laying out writes nothing there
    auto* page = new ScanPage(name == QLatin1String("TabSheet5") ? contractScans() : otherScans(),
                              query, guard, scratch);
    return {page, [page](auto id) { page->loadList(id); }, [page] { page->clearEditors(); }};
}

// The caption a person sees beside a field: the title of the group around it, or the
// label that names it.
QString shownCaption(QWidget* field) {
    if (auto* group = qobject_cast<QGroupBox*>(field->parentWidget())) return group->title();
    for (QLabel* label : field->window()->findChildren<QLabel*>())
        if (label->buddy() == field) return label->text();
    return {};
}

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

Captions pairs(std::initializer_list<const char*> flat) {
    Captions result;
    for (auto it = flat.begin(); it != flat.end(); it += 2)
        result << qMakePair(QString::fromUtf8(*it), QString::fromUtf8(*(it + 1)));
    return result;
}

// The ledgers' editors differ only in their numbers; both carry the payment labels.
Captions ledgerFields(int firstEdit, const char* datePicker) {
    const auto edit = [firstEdit](int offset) {
        return QStringLiteral("Edit%1").arg(firstEdit + offset);
    };
    return {{edit(0), QStringLiteral("名称")},
            {edit(1), QStringLiteral("付款金额")},
            {edit(2), QStringLiteral("发票金额")},
            {QString::fromUtf8(datePicker), QStringLiteral("付款日期")},
            {edit(3), QStringLiteral("申报单号")},
            {edit(4), QStringLiteral("发票号")}};
}

}  // namespace

class PagesLayoutTest : public QObject {
    Q_OBJECT
    ScriptedDesktop desktop_;
    ContractFileFixture files_;
    ContractQuery query_;  // over an empty contract file: every contract's lists are empty
    CommandGuard guard_{desktop_, nullptr};
    std::unique_ptr<QWidget> page_;

    Page open(const QString& name) {
        Page page = makePage(name, query_, guard_);
        page_.reset(page.widget);
        return page;
    }

  private Q_SLOTS:
    void initTestCase() { query_.setContractFile(files_.newContractFile()); }
    void cleanup() { page_.reset(); }

    void toolbarsCarryTheirItemsInOrder_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("toolbar");
        QTest::addColumn<Captions>("items");
        QTest::newRow("documents")
            << "TabSheet2"
            << "TBToolbar4"
            << pairs({"TBItem35", "增加新文档", "TBItem41", "导入替换当前文档", "TBItem40",
                      "打开当前文档", "TBItem39", "保存入模板", "TBItem38", "删除文档"});
        QTest::newRow("payments") << "TabSheet3"
                                  << "TBToolbar5"
                                  << pairs({"TBItem44", "增加记录", "TBItem43", "删除记录",
                                            "TBItem42", "打印列表", "exportPaymentsItem",
                                            "导出Excel"});
        QTest::newRow("claims") << "TabSheet4"
                                << "TBToolbar6"
                                << pairs({"TBItem45", "增加记录", "TBItem46", "删除记录",
                                          "TBItem47", "打印列表", "exportClaimsItem",
                                          "导出Excel"});
        QTest::newRow("contract scans")
            << "TabSheet5"
            << "TBToolbar7"
            << pairs({"TBItem48", "打开", "TBItem52", "合适比例显示", "TBItem36", "原大小显示"});
        QTest::newRow("other scans")
            << "TabSheet6"
            << "TBToolbar8"
            << pairs({"TBItem49", "打开", "TBItem53", "合适比例显示", "TBItem54", "原大小显示"});
    }
    void toolbarsCarryTheirItemsInOrder() {
        QFETCH(QString, page);
        QFETCH(QString, toolbar);
        QFETCH(Captions, items);
        QWidget* widget = open(page).widget;
        QCOMPARE(widget->objectName(), page);
        auto* bar = widget->findChild<QToolBar*>(toolbar);
        QVERIFY(bar);
        Captions shown;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator()) continue;
            QVERIFY2(action->isEnabled() && action->isVisible(), qPrintable(action->objectName()));
            shown << qMakePair(action->objectName(), action->text());
        }
        QCOMPARE(shown, items);
    }

    // Fit and actual size are one choice: fit at start, and exactly one checked after a click.
    void scanDisplayModesAreOneChoice_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("fit");
        QTest::addColumn<QString>("actualSize");
        QTest::newRow("contract scans") << "TabSheet5"
                                        << "TBItem52"
                                        << "TBItem36";
        QTest::newRow("other scans") << "TabSheet6"
                                     << "TBItem53"
                                     << "TBItem54";
    }
    void scanDisplayModesAreOneChoice() {
        QFETCH(QString, page);
        QFETCH(QString, fit);
        QFETCH(QString, actualSize);
        QWidget* widget = open(page).widget;
        auto* fitItem = widget->findChild<QAction*>(fit);
        auto* actualItem = widget->findChild<QAction*>(actualSize);
        QVERIFY(fitItem && actualItem);
        QVERIFY(fitItem->isChecked());
        QVERIFY(!actualItem->isChecked());
        actualItem->trigger();
        QVERIFY(!fitItem->isChecked());
        QVERIFY(actualItem->isChecked());
        actualItem->trigger();  // choosing the checked mode again keeps it
        QVERIFY(actualItem->isChecked());
        fitItem->trigger();
        QVERIFY(fitItem->isChecked());
        QVERIFY(!actualItem->isChecked());
    }

    void fieldsAreFoundByTheirCaptions_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<Captions>("fields");
        QTest::newRow("information")
            << "TabSheet1"
            << pairs({"Edit1",           "合同编号",       "Edit2",           "合同名称",
                      "Edit3",           "甲方",           "Edit4",           "乙方",
                      "Edit5",           "丙方",           "ComboBox1",       "单位名称",
                      "CheckBox1",       "重要",           "Edit6",           "所属年度",
                      "Edit7",           "部门编号",       "ComboBox2",       "所属部门",
                      "ComboBox3",       "工程类别",       "Edit9",           "项目经理",
                      "DateTimePicker1", "开工日期",       "DateTimePicker2", "竣工日期",
                      "DateTimePicker3", "呈批日期",       "Edit8",           "工期",
                      "Edit10",          "质量要求",       "Edit11",          "承包范围",
                      "DateTimePicker4", "日期",           "Edit12",          "审批人",
                      "Edit13",          "结构及规格说明", "Edit14",          "概算金额",
                      "Edit15",          "超概算金额",     "Edit16",          "节概算金额",
                      "ComboBox4",       "合同类别",       "ComboBox5",       "合同项目",
                      "Edit17",          "合同价款",       "Edit18",          "签证变量",
                      "Edit19",          "工程总造价",     "Edit20",          "代付款",
                      "Edit21",          "已付价款",       "Edit22",          "剩余价款",
                      "Edit23",          "发票数额",       "Edit24",          "申报单号",
                      "Edit25",          "合同价说明",     "Edit26",          "预付款金额",
                      "DateTimePicker5", "预付款日期",     "Edit28",          "结算金额",
                      "DateTimePicker7", "结算日期",       "Edit27",          "归档编号",
                      "DateTimePicker6", "归档日期",       "CheckBox2",       "归档",
                      "Edit29",          "存放地点",       "Memo1",           "备注"});
        QTest::newRow("payments") << "TabSheet3"
                                  << ledgerFields(30, "DateTimePicker8") + pairs({"Memo4", "备注"});
        QTest::newRow("claims") << "TabSheet4"
                                << ledgerFields(35, "DateTimePicker9") + pairs({"Memo5", "备注"});
        QTest::newRow("contract scans")
            << "TabSheet5" << pairs({"Edit40", "图片名称", "Memo2", "说明"});
        QTest::newRow("other scans")
            << "TabSheet6" << pairs({"Edit41", "图片名称", "Memo3", "说明"});
    }
    void fieldsAreFoundByTheirCaptions() {
        QFETCH(QString, page);
        QFETCH(Captions, fields);
        QWidget* widget = open(page).widget;
        for (const auto& [name, caption] : fields) {
            auto* field = widget->findChild<QWidget*>(name);
            QVERIFY2(field, qPrintable(name));
            QCOMPARE(accessibleName(field), caption);
            // A memo's caption is the one a person sees with it: the title of the group
            // around it, or its label.
            if (qobject_cast<QPlainTextEdit*>(field))
                QVERIFY2(shownCaption(field) == caption, qPrintable(name));
        }
    }

    void buttonsAndViewsAreInPlace_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<Captions>("enabledButtons");
        QTest::addColumn<Captions>("disabledButtons");
        QTest::newRow("documents") << "TabSheet2" << Captions{} << Captions{};
        QTest::newRow("payments") << "TabSheet3" << Captions{}
                                  << pairs({"FlatButton7", "保存", "FlatButton8", "取消"});
        QTest::newRow("claims") << "TabSheet4" << Captions{}
                                << pairs({"FlatButton9", "保存", "FlatButton10", "取消"});
        QTest::newRow("contract scans")
            << "TabSheet5"
            << pairs({"FlatButton1", "载入图片", "FlatButton2", "保存图片", "FlatButton11",
                      "替换当前图片", "FlatButton3", "删除图片"})
            << Captions{};
        QTest::newRow("other scans")
            << "TabSheet6"
            << pairs({"FlatButton4", "载入图片", "FlatButton5", "保存图片", "FlatButton12",
                      "替换当前图片", "FlatButton6", "删除图片"})
            << Captions{};
    }
    void buttonsAndViewsAreInPlace() {
        QFETCH(QString, page);
        QFETCH(Captions, enabledButtons);
        QFETCH(Captions, disabledButtons);
        QWidget* widget = open(page).widget;
        for (const auto& [list, enabled] :
             {qMakePair(enabledButtons, true), qMakePair(disabledButtons, false)}) {
            for (const auto& [name, caption] : list) {
                auto* button = widget->findChild<QPushButton*>(name);
                QVERIFY2(button, qPrintable(name));
                QCOMPARE(button->text(), caption);
                QCOMPARE(button->isEnabled(), enabled);
            }
        }
        if (page == QLatin1String("TabSheet2")) {
            auto* preview = widget->findChild<QTextEdit*>(QStringLiteral("RichEdit1"));
            QVERIFY(preview && preview->isReadOnly());
        }
        if (page == QLatin1String("TabSheet5") || page == QLatin1String("TabSheet6")) {
            const bool first = page == QLatin1String("TabSheet5");
            auto* box = widget->findChild<QScrollArea*>(first ? QStringLiteral("ScrollBox4")
                                                              : QStringLiteral("ScrollBox3"));
            QVERIFY(box);
            auto* view = box->findChild<QWidget*>(first ? QStringLiteral("Image2")
                                                        : QStringLiteral("Image4"));
            QVERIFY(view);
            QVERIFY(view->isHidden());  // no picture until one is loaded or a row is shown
        }
        for (auto* picker : widget->findChildren<QDateEdit*>()) {
            QVERIFY(picker->calendarPopup());
            QCOMPARE(picker->displayFormat(), QStringLiteral("yyyy-MM-dd"));
            QCOMPARE(picker->date(), desktop_.clock.date());
        }
    }

    // The reset of the contract page: texts emptied, amounts back to "0", dates left alone.
    void clearEditorsResetsTheRecordFields_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<Captions>("expected");
        QTest::addColumn<QString>("datePicker");
        QTest::newRow("documents") << "TabSheet2" << pairs({"RichEdit1", ""}) << "";
        QTest::newRow("payments") << "TabSheet3"
                                  << pairs({"Edit30", "", "Edit31", "0", "Edit32", "0", "Edit33",
                                            "", "Edit34", "", "Memo4", ""})
                                  << "DateTimePicker8";
        QTest::newRow("claims") << "TabSheet4"
                                << pairs({"Edit35", "", "Edit36", "0", "Edit37", "0", "Edit38", "",
                                          "Edit39", "", "Memo5", ""})
                                << "DateTimePicker9";
        QTest::newRow("contract scans") << "TabSheet5" << pairs({"Edit40", "", "Memo2", ""}) << "";
        QTest::newRow("other scans") << "TabSheet6" << pairs({"Edit41", "", "Memo3", ""}) << "";
    }
    void clearEditorsResetsTheRecordFields() {
        QFETCH(QString, page);
        QFETCH(Captions, expected);
        QFETCH(QString, datePicker);
        Page subject = open(page);
        const auto text = [&](const QString& name) -> QString {
            QObject* control = subject.widget->findChild<QObject*>(name);
            if (auto* line = qobject_cast<QLineEdit*>(control)) return line->text();
            if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) return memo->toPlainText();
            if (auto* rich = qobject_cast<QTextEdit*>(control)) return rich->toPlainText();
            return QStringLiteral("<missing>");
        };
        for (const auto& entry : expected) {
            QObject* control = subject.widget->findChild<QObject*>(entry.first);
            if (auto* line = qobject_cast<QLineEdit*>(control))
                line->setText(QStringLiteral("旧值 12"));
            if (auto* memo = qobject_cast<QPlainTextEdit*>(control))
                memo->setPlainText(QStringLiteral("第一行\n第二行"));
            if (auto* rich = qobject_cast<QTextEdit*>(control))
                rich->setHtml(QStringLiteral("<b>预览</b>"));
            QVERIFY2(!text(entry.first).isEmpty(), qPrintable(entry.first));
        }
        const QDate kept(2021, 7, 9);
        QDateEdit* picker =
            datePicker.isEmpty() ? nullptr : subject.widget->findChild<QDateEdit*>(datePicker);
        QCOMPARE(picker != nullptr, !datePicker.isEmpty());
        if (picker) picker->setDate(kept);

        subject.clear();

        for (const auto& [name, value] : expected) QCOMPARE(text(name), value);
        if (picker) QCOMPARE(picker->date(), kept);
    }

    // Without a current contract a list is its titles over one empty row, whatever it
    // showed before (what a contract's list shows is each page's own test). A reload never
    // counts as moving to another row.
    void emptyListIsTitlesOverOneEmptyRow_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("documents")
            << "TabSheet2"
            << "StringGrid1" << QStringList{"编号", "文件名称", "类型", "序号"}
            << QList<int>{76, 400, 100, 0};
        const QList<int> ledgerWidths{200, 100, 100, 100, 150, 150, 0};
        QTest::newRow("payments") << "TabSheet3"
                                  << "StringGrid2"
                                  << QStringList{"名称",     "付款金额", "发票金额", "付款日期",
                                                 "申报单号", "发票号",   "编号"}
                                  << ledgerWidths;
        QTest::newRow("claims") << "TabSheet4"
                                << "StringGrid3"
                                << QStringList{"名称",     "索赔金额", "发票金额", "付款日期",
                                               "申报单号", "发票号",   "编号"}
                                << ledgerWidths;
        QTest::newRow("contract scans")
            << "TabSheet5"
            << "StringGrid4" << QStringList{"图形名称", "编号"} << QList<int>{200, 0};
        QTest::newRow("other scans")
            << "TabSheet6"
            << "StringGrid5" << QStringList{"图形名称", "编号"} << QList<int>{200, 0};
    }
    void emptyListIsTitlesOverOneEmptyRow() {
        QFETCH(QString, page);
        QFETCH(QString, grid);
        QFETCH(QStringList, titles);
        QFETCH(QList<int>, widths);
        Page subject = open(page);
        auto* table = subject.widget->findChild<QTableWidget*>(grid);
        QVERIFY(table);
        subject.widget->resize(900, 600);
        subject.widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(subject.widget));

        const auto checkEmpty = [&] {
            QCOMPARE(table->rowCount(), 1);
            QCOMPARE(table->columnCount(), titles.size());
            for (int c = 0; c < titles.size(); ++c) {
                QCOMPARE(table->horizontalHeaderItem(c)->text(), titles[c]);
                QCOMPARE(table->columnWidth(c), widths[c]);
                QVERIFY(table->item(0, c) && table->item(0, c)->text().isEmpty());
            }
            QCOMPARE(table->currentRow(), 0);
        };
        checkEmpty();

        // What a filled list might have left: several rows, texts, a row further down current.
        table->setRowCount(4);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < titles.size(); ++c)
                table->setItem(r, c, new QTableWidgetItem(QString::number(r + 1)));
        table->setCurrentCell(3, 0);
        QSignalSpy moved(table, &QTableWidget::currentCellChanged);

        subject.load(std::nullopt);
        checkEmpty();
        QCOMPARE(moved.count(), 0);
        QVERIFY(desktop_.messages.isEmpty());
    }
};

QTEST_MAIN(PagesLayoutTest)
#include "tst_pages_layout.moc"
