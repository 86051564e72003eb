// The pages "付款与报告" and "索赔与报告": a contract's records over a sums row, the row
// click, the editor's modes, saving, deleting, and what selecting another contract does.
// Every case runs for both pages, through the table of their names below, on a contract
// file and on a server.
#include <QPrintPreviewDialog>
#include <QtTest>
#include <QtWidgets>

#include "ContractFileFixture.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "EngineFixture.h"
#include "LedgerPage.h"
#include "ScriptedDesktop.h"
#include "Tmainf.h"
#include "Typing.h"

namespace {

// The names by which a person, the file and the statements know one ledger page.
struct Ledger {
    const char* page;
    const char* grid;
    const char* table;
    const char* key;
    const char* nameColumn;
    const char* amountColumn;  // the first amount; the second is fpje in both tables
    const char* edits[5];      // name, first amount, second amount, number, invoice
    const char* datePicker;
    const char* memo;
    const char* saveButton;
    const char* cancelButton;
    const char* addItem;
    const char* deleteItem;
    const char* printItem;
    const char* exportItem;
    const char* firstAmountTitle;
    const char* firstAmountInvalid;
    const char* deleteQuestion;
    const char* insertHead;
    const char* updateHead;  // up to the first amount's value
    const char* updateKey;
};

const Ledger kLedgers[] = {
    {"TabSheet3",
     "StringGrid2",
     "htfk",
     "fkid",
     "fkname",
     "fkje",
     {"Edit30", "Edit31", "Edit32", "Edit33", "Edit34"},
     "DateTimePicker8",
     "Memo4",
     "FlatButton7",
     "FlatButton8",
     "TBItem44",
     "TBItem43",
     "TBItem42",
     "exportPaymentsItem",
     "付款金额",
     "付款金额数据错误，请重新输入",
     "确定要删除当前付款记录吗？",
     "insert into htfk (fkid,conid,fkname,fkje,fpje,fkrq,sbdh,fph,other) values (",
     "update htfk set fkname=",
     " where fkid="},
    {"TabSheet4",
     "StringGrid3",
     "htsp",
     "spid",
     "spname",
     "spje",
     {"Edit35", "Edit36", "Edit37", "Edit38", "Edit39"},
     "DateTimePicker9",
     "Memo5",
     "FlatButton9",
     "FlatButton10",
     "TBItem45",
     "TBItem46",
     "TBItem47",
     "exportClaimsItem",
     "索赔金额",
     "索赔金额数据错误，请重新输入",
     "确定要删除当前索赔记录吗？",
     "insert into htsp (spid,conid,spname,spje,fpje,fkrq,sbdh,fph,other) values (",
     "update htsp set spname=",
     " where spid="},
};

enum Edit { Name, FirstAmount, SecondAmount, Number, Invoice };

QString u(const char* text) { return QString::fromUtf8(text); }

// One row of a ledger table, as seed text: id, contract, name, two amounts, a date.
struct Record {
    int id;
    int contract;
    QString name;
    QString firstAmount;
    QString secondAmount;
    QString date = QStringLiteral("2026-03-01");
    QString number = QStringLiteral("SB-1");
    QString invoice = QStringLiteral("FP-1");
    QString remarks = QStringLiteral("备注");
};

QString seedStatement(const Ledger& ledger, const Record& r) {
    return QStringLiteral(
               "insert into %1 (%2,conid,%3,%4,fpje,fkrq,sbdh,fph,other) values "
               "(%5,%6,'%7',%8,%9,'%10','%11','%12','%13')")
        .arg(u(ledger.table), u(ledger.key), u(ledger.nameColumn), u(ledger.amountColumn))
        .arg(r.id)
        .arg(r.contract)
        .arg(r.name, r.firstAmount, r.secondAmount, r.date, r.number, r.invoice, r.remarks);
}

// Three records of contract 1 and one of contract 2; contract 3 has none.
QList<Record> threeAndOne() {
    return {{1, 1, "甲", "1500", "1400"},
            {2, 1, "乙", "2.5", "0", "2026-03-02", "SB-2", "FP-2", "第一行\r\n第二行"},
            {3, 1, "丙", "100", "100", "2026-03-03", "SB-3", "FP-3"},
            {4, 2, "丁", "7", "8", "2026-04-04", "SB-4", "FP-4"}};
}

}  // namespace

class LedgersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<Tmainf> window_;
    const Ledger* ledger_ = nullptr;

    // ------------------------------------------------------------ setting the scene

    // Rows for each ledger, named after it; a test with cases of its own adds them per
    // ledger through `addCase`.
    static void addLedgerColumn() { QTest::addColumn<int>("ledger"); }
    static void addLedgerRows() {
        addLedgerColumn();
        QTest::newRow("payments") << 0;
        QTest::newRow("claims") << 1;
    }
    static QTestData& addCase(int ledger, const char* name) {
        return QTest::addRow("%s: %s", ledger == 0 ? "payments" : "claims", name) << ledger;
    }

    // Opens the file with these records of the ledger under test and selects contract 1.
    void openWith(const QList<Record>& records, int contract = 1) {
        QFETCH(int, ledger);
        ledger_ = &kLedgers[ledger];
        QStringList seed;
        for (const Record& r : records) seed << seedStatement(*ledger_, r);
        data_->executeOutside(seed);
        QVERIFY(data_->openIn(*window_, *desktop_));
        window_->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentWidget(page());
        selectContract(contract);
    }

    // Clicks the contract's node in the tree, as a person does.
    void selectContract(int contract) {
        QTreeWidget* view = window_->tree().view();
        for (int i = 0; i < view->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = view->topLevelItem(i);
            if (ContractNode::recordOf(item)->contractId != contract) continue;
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualItemRect(item).center());
            QCOMPARE(window_->tree().selectedRecord()->contractId, contract);
            return;
        }
        QFAIL("no such contract in the tree");
    }

    LedgerPage* page() const { return window_->findChild<LedgerPage*>(u(ledger_->page)); }
    QTableWidget* grid() const { return page()->findChild<QTableWidget*>(u(ledger_->grid)); }
    QLineEdit* edit(Edit which) const {
        return page()->findChild<QLineEdit*>(u(ledger_->edits[which]));
    }
    QDateEdit* datePicker() const { return page()->findChild<QDateEdit*>(u(ledger_->datePicker)); }
    QPlainTextEdit* memo() const { return page()->findChild<QPlainTextEdit*>(u(ledger_->memo)); }
    QPushButton* saveButton() const {
        return page()->findChild<QPushButton*>(u(ledger_->saveButton));
    }
    QPushButton* cancelButton() const {
        return page()->findChild<QPushButton*>(u(ledger_->cancelButton));
    }
    void trigger(const char* item) const {
        QAction* action = page()->findChild<QAction*>(u(item));
        QVERIFY(action);
        action->trigger();
    }

    void clickRow(int row) const {
        QTableWidget* table = grid();
        table->scrollToItem(table->item(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualItemRect(table->item(row, 0)).center());
    }

    // ------------------------------------------------------------ reading the scene

    // The grid, row by row, cells joined by '|'.
    QStringList gridRows() const {
        QStringList rows;
        for (int r = 0; r < grid()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid()->columnCount(); ++c) cells << cellText(*grid(), r, c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    // The editor as "name|first|second|date|number|invoice|remarks".
    QString editorText() const {
        return QStringList{edit(Name)->text(),
                           edit(FirstAmount)->text(),
                           edit(SecondAmount)->text(),
                           datePicker()->date().toString(Qt::ISODate),
                           edit(Number)->text(),
                           edit(Invoice)->text(),
                           memoText(memo())}
            .join(QLatin1Char('|'));
    }

    // The records of the ledger table, by key, as
    // "id|conid|name|first|second|date|number|invoice|remarks" with amounts as stored.
    QStringList fileRecords() const {
        const auto reader = data_->openQuery();
        QStringList rows;
        for (reader->RunQuery(QStringLiteral("select %1 as id,conid,%2 as name,%3 as first,fpje,"
                                             "fkrq,sbdh,fph,other from %4 order by 1")
                                  .arg(u(ledger_->key), u(ledger_->nameColumn),
                                       u(ledger_->amountColumn), u(ledger_->table)));
             !reader->eof(); reader->next()) {
            QStringList values;
            for (const char* column :
                 {"id", "conid", "name", "first", "fpje", "fkrq", "sbdh", "fph", "other"})
                values << reader->text(column);
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    }

    int mode() const { return int(page()->editMode()); }
    bool armed() const { return saveButton()->isEnabled() && cancelButton()->isEnabled(); }
    bool idle() const {
        return mode() == 0 && !saveButton()->isEnabled() && !cancelButton()->isEnabled();
    }

  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data_ = std::make_unique<EngineFixture>(currentEngine());
        data_->executeOutside(
            {"insert into htmain (conid,concode,conname) values (1,'0001','一号合同')",
             "insert into htmain (conid,concode,conname) values (2,'0002','二号合同')",
             "insert into htmain (conid,concode,conname) values (3,'0003','三号合同')"});
        desktop_ = std::make_unique<ScriptedDesktop>();
        window_ = std::make_unique<Tmainf>(*desktop_, data_->files().programFolder());
        window_->resize(1100, 750);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    void cleanup() {
        window_.reset();
        desktop_.reset();
        data_.reset();
    }

    // ------------------------------------------------------------ the list

    void listShowsRecordsThenSums_data() {
        addLedgerColumn();
        QTest::addColumn<QList<Record>>("records");
        QTest::addColumn<QStringList>("rows");
        for (int ledger : {0, 1}) {
            addCase(ledger, "no records")
                << QList<Record>{} << QStringList{"||||||", "合计|0|0||||0"};
            addCase(ledger, "one record")
                << QList<Record>{{7, 1, "甲", "1500", "1400"}}
                << QStringList{"甲|1500|1400|2026-03-01|SB-1|FP-1|7", "合计|1500|1400||||0"};
            // Summed in binary the two give 100000.30000000001; shown, 15 digits.
            addCase(ledger, "sums in general format")
                << QList<Record>{{1, 1, "甲", "100000.1", "1e20"},
                                 {2, 1, "乙", "0.2", "0.5"},
                                 {3, 2, "别的合同", "9", "9"}}
                << QStringList{"甲|100000.1|1e+20|2026-03-01|SB-1|FP-1|1",
                               "乙|0.2|0.5|2026-03-01|SB-1|FP-1|2", "合计|100000.3|1e+20||||0"};
        }
    }
    void listShowsRecordsThenSums() {
        QFETCH(QList<Record>, records);
        QFETCH(QStringList, rows);
        openWith(records);
        QCOMPARE(grid()->horizontalHeaderItem(1)->text(), u(ledger_->firstAmountTitle));
        QCOMPARE(gridRows(), rows);
        QCOMPARE(grid()->currentRow(), 0);
        QVERIFY(desktop_->messages.isEmpty());
    }

    // A longer list leaves nothing behind in what becomes the sums row of a shorter one.
    void sumsRowKeepsNoLeftoversFromAnotherContract_data() { addLedgerRows(); }
    void sumsRowKeepsNoLeftoversFromAnotherContract() {
        openWith(threeAndOne());
        clickRow(3);
        selectContract(2);
        QCOMPARE(gridRows(), (QStringList{"丁|7|8|2026-04-04|SB-4|FP-4|4", "合计|7|8||||0"}));
        selectContract(3);
        QCOMPARE(gridRows(), (QStringList{"||||||", "合计|0|0||||0"}));
    }

    // ------------------------------------------------------------ the row click

    void clickingRowsFillsTheEditor_data() { addLedgerRows(); }
    void clickingRowsFillsTheEditor() {
        openWith(threeAndOne());
        clickRow(1);
        QCOMPARE(editorText(), u("乙|2.5|0|2026-03-02|SB-2|FP-2|第一行\r\n第二行"));
        // The sums row: its name and sums; the date picker keeps the date it had.
        clickRow(3);
        QCOMPARE(editorText(), u("合计|1602.5|1500|2026-03-02|||"));
        clickRow(0);
        QCOMPARE(editorText(), u("甲|1500|1400|2026-03-01|SB-1|FP-1|备注"));
        QVERIFY(idle());

        // The empty row of a contract without records leaves the editor as it is.
        selectContract(3);
        clickRow(1);
        clickRow(0);
        QCOMPARE(editorText(), u("合计|0|0|2026-03-15|||"));
        QVERIFY(idle());
    }

    // ------------------------------------------------------------ arming the editor

    void onlyAPersonsEditOfARecordArmsTheEditor_data() {
        addLedgerColumn();
        QTest::addColumn<QString>("control");
        for (int ledger : {0, 1}) {
            const Ledger& l = kLedgers[ledger];
            for (const char* edit : l.edits) addCase(ledger, edit) << u(edit);
            addCase(ledger, l.datePicker) << u(l.datePicker);
            addCase(ledger, l.memo) << u(l.memo);
        }
    }
    void onlyAPersonsEditOfARecordArmsTheEditor() {
        QFETCH(QString, control);
        openWith(threeAndOne());
        QWidget* target = page()->findChild<QWidget*>(control);
        QVERIFY(target);
        const auto personEdits = [&] {
            target->setFocus();
            if (qobject_cast<QDateEdit*>(target))
                QTest::keyClick(target, Qt::Key_Up);
            else
                typeText(target, QStringLiteral("5"));
        };

        // Set by the program, even while the control has the focus: nothing armed. A
        // delete reloads the list and shows the row above the deleted one.
        clickRow(2);
        target->setFocus();
        trigger(ledger_->deleteItem);
        QCOMPARE(grid()->currentRow(), 1);
        QCOMPARE(edit(Name)->text(), QStringLiteral("乙"));
        QVERIFY(idle());

        // Typed while the sums row is current: nothing armed.
        clickRow(2);
        personEdits();
        QVERIFY(idle());

        clickRow(0);
        personEdits();
        QVERIFY(armed());
        QCOMPARE(mode(), 2);
    }

    // After "取消" the editor holds empty texts while a record row is still current: typing
    // must not arm it, or "保存" would write those texts over that record.
    void typingIntoAnEditorThatShowsNoRecordArmsNothing_data() { addLedgerRows(); }
    void typingIntoAnEditorThatShowsNoRecordArmsNothing() {
        openWith(threeAndOne());
        QCOMPARE(editorText(), u("甲|1500|1400|2026-03-01|SB-1|FP-1|备注"));  // row 1 shown
        clickRow(2);
        trigger(ledger_->addItem);
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
        retype(edit(Name), QStringLiteral("新名称"));
        QVERIFY(idle());
        const QStringList before = fileRecords();
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(fileRecords(), before);
    }

    // Picking a day in the drop-down calendar is a person's edit, though the calendar has
    // the keyboard focus while it is open.
    void pickingADayInTheCalendarArmsTheEditor_data() { addLedgerRows(); }
    void pickingADayInTheCalendarArmsTheEditor() {
        openWith(threeAndOne());
        clickRow(1);
        QDateEdit* picker = datePicker();
        // The drop-down arrow at the right end of the picker.
        QTest::mouseClick(picker, Qt::LeftButton, {},
                          QPoint(picker->width() - 6, picker->height() / 2));
        QCalendarWidget* calendar = picker->calendarWidget();
        QTRY_VERIFY(calendar->isVisible());
        QTest::keyClick(calendar->focusWidget() ? calendar->focusWidget() : calendar,
                        Qt::Key_Right);
        QTRY_COMPARE(picker->date(), QDate(2026, 3, 3));
        QVERIFY(armed());
        QCOMPARE(mode(), 2);
    }

    // ------------------------------------------------------------ adding and saving

    void addingThenSavingUnchangedStoresZerosAndToday_data() { addLedgerRows(); }
    void addingThenSavingUnchangedStoresZerosAndToday() {
        openWith({}, 3);
        datePicker()->setDate(QDate(2020, 1, 1));
        trigger(ledger_->addItem);
        QCOMPARE(editorText(), u("|0|0|2026-03-15|||"));
        QVERIFY(armed());
        QCOMPARE(mode(), 1);

        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(fileRecords(), QStringList{"1|3||0.0|0.0|2026-03-15|||"});
        QCOMPARE(gridRows(), (QStringList{"|0|0|2026-03-15|||1", "合计|0|0||||0"}));
        QVERIFY(idle());
        QVERIFY(desktop_->messages.isEmpty());
    }

    // The new record is made current: the first one is row 1 already, so the editor keeps
    // what was typed; the second is loaded back from the file in its shown form.
    void savedNewRecordIsMadeCurrent_data() {
        addLedgerColumn();
        QTest::addColumn<int>("contract");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("editor");
        for (int ledger : {0, 1}) {
            addCase(ledger, "first record") << 3 << 0 << u("新|1e3|0|2026-03-15|||");
            addCase(ledger, "second record") << 2 << 1 << u("新|1000|0|2026-03-15|||");
        }
    }
    void savedNewRecordIsMadeCurrent() {
        QFETCH(int, contract);
        QFETCH(int, row);
        QFETCH(QString, editor);
        openWith(threeAndOne(), contract);
        trigger(ledger_->addItem);
        retype(edit(Name), QStringLiteral("新"));
        retype(edit(FirstAmount), QStringLiteral("1e3"));
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(grid()->rowCount(), row + 2);
        QCOMPARE(grid()->currentRow(), row);
        QCOMPARE(cellText(*grid(), row, 1), QStringLiteral("1000"));
        QCOMPARE(editorText(), editor);
        QVERIFY(idle());
    }

    void amountThatIsNoNumberIsRefused_data() {
        addLedgerColumn();
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        for (int ledger : {0, 1}) {
            addCase(ledger, "decimal comma") << int(FirstAmount) << "1,5";
            addCase(ledger, "empty") << int(FirstAmount) << "";
            addCase(ledger, "statement text") << int(FirstAmount) << "0);delete from htfk;--";
            addCase(ledger, "second decimal comma") << int(SecondAmount) << "1,5";
        }
    }
    void amountThatIsNoNumberIsRefused() {
        QFETCH(int, field);
        QFETCH(QString, typed);
        openWith(threeAndOne());
        const QStringList before = fileRecords();
        trigger(ledger_->addItem);
        retype(edit(Name), QStringLiteral("不存"));
        retype(edit(Edit(field)), typed);
        saveButton()->setFocus();
        QTest::mouseClick(saveButton(), Qt::LeftButton);

        QCOMPARE(desktop_->messages.size(), 1);
        const MessageRequest& message = desktop_->lastMessage();
        QCOMPARE(message.text, field == FirstAmount ? u(ledger_->firstAmountInvalid)
                                                    : u("发票金额数据错误，请重新输入"));
        QCOMPARE(message.title, QStringLiteral("提示"));
        QCOMPARE(message.icon, MessageIcon::Error);
        QCOMPARE(message.buttons, MessageButtons::Ok);
        QCOMPARE(QApplication::focusWidget(), edit(Edit(field)));
        QCOMPARE(fileRecords(), before);
        QCOMPARE(mode(), 1);
        QVERIFY(armed());
    }

    // Texts are quoted with their quotes doubled, amounts go in as typed, the date as
    // yyyy-MM-dd, the remarks with CR LF; and the row reads back as it was typed.
    void insertAndUpdateStatementsAreExact_data() { addLedgerRows(); }
    void insertAndUpdateStatementsAreExact() {
        openWith({}, 3);
        const QString head = u(ledger_->insertHead);
        trigger(ledger_->addItem);
        retype(edit(Name), QStringLiteral("O'Brien 工程"));
        retype(edit(FirstAmount), QStringLiteral("1500"));
        retype(edit(SecondAmount), QStringLiteral("2.5e3"));
        datePicker()->setDate(QDate(2026, 4, 1));
        retype(edit(Number), QStringLiteral("SB'01"));
        retype(edit(Invoice), QStringLiteral("FP-7"));
        retype(memo(), QStringLiteral("第一行\n第二行"));

        StatementLog log(window_->query());
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QVERIFY2(log.statements.contains(
                     head + u("1,3,'O''Brien 工程',1500,2.5e3,'2026-04-01','SB''01','FP-7',"
                              "'第一行\r\n第二行')")),
                 qPrintable(log.statements.join('\n')));
        QCOMPARE(fileRecords(),
                 QStringList{
                     u("1|3|O'Brien 工程|1500.0|2500.0|2026-04-01|SB'01|FP-7|第一行\r\n第二行")});

        retype(edit(FirstAmount), QStringLiteral("-7"));
        QCOMPARE(mode(), 2);
        log.statements.clear();
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QVERIFY2(log.statements.contains(
                     u(ledger_->updateHead) +
                     u("'O''Brien 工程',%1=-7,fpje=2.5e3,fkrq='2026-04-01',sbdh='SB''01',"
                       "fph='FP-7',other='第一行\r\n第二行'")
                         .arg(u(ledger_->amountColumn)) +
                     u(ledger_->updateKey) + u("1")),
                 qPrintable(log.statements.join('\n')));
        QCOMPARE(cellText(*grid(), 0, 1), QStringLiteral("-7"));
        QVERIFY(idle());
    }

    // After "增加记录" and "取消", an edit of an existing record updates that record only.
    void cancelledAddingLeavesEditingToTheRowClicked_data() { addLedgerRows(); }
    void cancelledAddingLeavesEditingToTheRowClicked() {
        openWith(threeAndOne());
        const QStringList before = fileRecords();
        trigger(ledger_->addItem);
        retype(edit(Name), QStringLiteral("不要"));
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
        QCOMPARE(editorText(), u("|0|0|2026-03-15|||"));
        QVERIFY(idle());

        clickRow(2);
        retype(edit(Invoice), QStringLiteral("FP-9"));
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QStringList expected = before;
        expected[2].replace(QStringLiteral("FP-3"), QStringLiteral("FP-9"));
        QCOMPARE(fileRecords(), expected);
        QCOMPARE(grid()->currentRow(), 2);
        QCOMPARE(edit(Invoice)->text(), QStringLiteral("FP-9"));
        QVERIFY(idle());
    }

    // ------------------------------------------------------------ saving what cannot be saved

    // The record edited was deleted, and the empty row is current: nothing to update.
    void savingAnEditWithTheEmptyRowCurrentWritesNothing_data() { addLedgerRows(); }
    void savingAnEditWithTheEmptyRowCurrentWritesNothing() {
        openWith(threeAndOne(), 2);
        retype(edit(Name), QStringLiteral("改"));
        QCOMPARE(mode(), 2);
        trigger(ledger_->deleteItem);
        QCOMPARE(cellText(*grid(), 0, 6), QString());
        const QStringList before = fileRecords();
        desktop_->messages.clear();

        StatementLog log(window_->query());
        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(desktop_->messageTexts(), QStringList{u("当前行不是一条记录，修改没有保存")});
        QVERIFY(log.statements.isEmpty());
        QCOMPARE(fileRecords(), before);
    }

    // The record edited is gone from the file: saying it was saved would be untrue.
    void savingAnEditOfAVanishedRecordIsReported_data() { addLedgerRows(); }
    void savingAnEditOfAVanishedRecordIsReported() {
        openWith(threeAndOne(), 2);
        retype(edit(Name), QStringLiteral("改"));
        data_->executeOutside({QStringLiteral("delete from %1").arg(u(ledger_->table))});

        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY2(desktop_->lastMessage().text.startsWith(u("这条记录已不存在，修改没有保存")),
                 qPrintable(desktop_->lastMessage().text));
        QVERIFY(fileRecords().isEmpty());
        QCOMPARE(mode(), 2);
        QVERIFY(armed());
    }

    // After a tree command no contract is selected: a new record has nowhere to go.
    void savingANewRecordWithNoContractSelectedWritesNothing_data() { addLedgerRows(); }
    void savingANewRecordWithNoContractSelectedWritesNothing() {
        openWith(threeAndOne());
        trigger(ledger_->addItem);
        window_->tree().view()->clearSelection();
        QVERIFY(!window_->tree().selectedRecord());
        const QStringList before = fileRecords();

        QTest::mouseClick(saveButton(), Qt::LeftButton);
        QCOMPARE(desktop_->messageTexts(), QStringList{u("请先选择一个合同，再保存新记录")});
        QCOMPARE(fileRecords(), before);
        QCOMPARE(mode(), 1);
        QVERIFY(armed());
    }

    // ------------------------------------------------------------ deleting

    void deleteAsksThenDeletesTheCurrentRecord_data() {
        addLedgerColumn();
        QTest::addColumn<int>("contract");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("keysLeft");
        QTest::addColumn<int>("currentAfter");
        QTest::addColumn<QString>("editorAfter");
        for (int ledger : {0, 1}) {
            addCase(ledger, "third record") << 1 << 2 << true << QStringList{"1", "2"} << 1
                                            << u("乙|2.5|0|2026-03-02|SB-2|FP-2|第一行\r\n第二行");
            // Row 1 is current after the reload already; the editor, which showed the
            // deleted record, shows the record now in its place.
            addCase(ledger, "first record")
                << 1 << 0 << true << QStringList{"2", "3"} << 0
                << u("乙|2.5|0|2026-03-02|SB-2|FP-2|第一行\r\n第二行");
            addCase(ledger, "answered no") << 1 << 2 << false << QStringList{"1", "2", "3"} << 2
                                           << u("丙|100|100|2026-03-03|SB-3|FP-3|备注");
            addCase(ledger, "sums row") << 1 << 3 << true << QStringList{"1", "2", "3"} << 2
                                        << u("丙|100|100|2026-03-03|SB-3|FP-3|备注");
            addCase(ledger, "empty row")
                << 3 << 0 << true << QStringList{} << 0 << u("|0|0|2026-03-15|||");
        }
    }
    void deleteAsksThenDeletesTheCurrentRecord() {
        QFETCH(int, contract);
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(QStringList, keysLeft);
        QFETCH(int, currentAfter);
        QFETCH(QString, editorAfter);
        openWith(threeAndOne(), contract);
        clickRow(row);
        desktop_->answers.enqueue(yes ? MessageAnswer::Yes : MessageAnswer::No);

        trigger(ledger_->deleteItem);
        QCOMPARE(desktop_->messages.size(), 1);
        const MessageRequest& question = desktop_->lastMessage();
        QCOMPARE(question.text, u(ledger_->deleteQuestion));
        QCOMPARE(question.title, QStringLiteral("确认"));
        QCOMPARE(question.icon, MessageIcon::Question);
        QCOMPARE(question.buttons, MessageButtons::YesNo);

        QStringList keys;
        for (const QString& record : fileRecords())
            if (record.section('|', 1, 1) == QString::number(contract))
                keys << record.section('|', 0, 0);
        QCOMPARE(keys, keysLeft);
        QCOMPARE(grid()->currentRow(), currentAfter);
        QCOMPARE(editorText(), editorAfter);
        QVERIFY(idle());
    }

    // A delete the file refuses is told, not swallowed; the list stays as it was.
    void refusedDeleteIsReported_data() { addLedgerRows(); }
    void refusedDeleteIsReported() {
        openWith(threeAndOne());
        data_->refuseChanges(u(ledger_->table), QStringLiteral("delete"),
                             QStringLiteral("rows are kept"));
        const QStringList before = fileRecords();
        clickRow(1);
        trigger(ledger_->deleteItem);
        QCOMPARE(desktop_->messages.size(), 2);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY2(desktop_->lastMessage().text.contains(QStringLiteral("rows are kept")),
                 qPrintable(desktop_->lastMessage().text));
        QCOMPARE(fileRecords(), before);
        QCOMPARE(grid()->rowCount(), 4);
        QCOMPARE(grid()->currentRow(), 1);
    }

    // "打印列表" previews the contract's ledger; "导出Excel" writes it to the file chosen.
    // Neither changes the list or the editor.
    void printAndExportShowTheListedLedger_data() { addLedgerRows(); }
    void printAndExportShowTheListedLedger() {
        openWith(threeAndOne());
        clickRow(1);
        const QStringList rows = gridRows();
        const QString editor = editorText();

        QString previewTitle;
        QTimer::singleShot(0, [&previewTitle] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!preview) return;
            previewTitle = preview->windowTitle();
            preview->reject();
        });
        trigger(ledger_->printItem);
        QVERIFY2(!previewTitle.isEmpty(), "no print preview was shown");

        const QString target = data_->files().path("ledger.xlsx");
        desktop_->filesToSave.enqueue(target);
        trigger(ledger_->exportItem);
        QVERIFY2(desktop_->messages.isEmpty(), qPrintable(desktop_->messageTexts().join('\n')));
        QCOMPARE(fileBytes(target).left(2), QByteArray("PK"));  // a spreadsheet (zip) file

        QCOMPARE(gridRows(), rows);
        QCOMPARE(editorText(), editor);
    }

    // ------------------------------------------------------------ selecting another contract

    // Whatever the editor held belongs to the contract before: it is dropped, and nothing
    // of it can be written over a record of the contract selected now.
    void selectingAnotherContractDropsAPendingRecord_data() {
        addLedgerColumn();
        QTest::addColumn<bool>("adding");
        for (int ledger : {0, 1}) {
            addCase(ledger, "adding") << true;
            addCase(ledger, "editing") << false;
        }
    }
    void selectingAnotherContractDropsAPendingRecord() {
        QFETCH(bool, adding);
        openWith(threeAndOne());
        const QStringList before = fileRecords();
        if (adding) trigger(ledger_->addItem);
        retype(edit(Name), QStringLiteral("挂起"));
        QCOMPARE(mode(), adding ? 1 : 2);

        selectContract(2);
        QVERIFY(idle());
        // The editor shows the newly selected contract's first record, current in its list.
        QCOMPARE(editorText(), u("丁|7|8|2026-04-04|SB-4|FP-4|备注"));
        QCOMPARE(fileRecords(), before);

        // The other page's editor is dropped too.
        const Ledger* other = &kLedgers[ledger_ == &kLedgers[0] ? 1 : 0];
        QCOMPARE(int(window_->findChild<LedgerPage*>(u(other->page))->editMode()), 0);
    }
};

QTEST_MAIN(LedgersTest)
#include "tst_ledgers.moc"
