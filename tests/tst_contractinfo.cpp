// The page "合同信息": its fields, clearing, loading and the save command, on a contract
// file and on a server.
#include <QtTest>
#include <QtWidgets>

#include "AppError.h"
#include "ContractFileFixture.h"
#include "ContractInfoPage.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "EngineFixture.h"
#include "ScriptedDesktop.h"
#include "Tmainf.h"
#include "Typing.h"

namespace {

enum Kind { Text, Choice, Amount, Date, Flag, Memo };

struct Expected {
    int line;
    const char* caption;
    const char* control;
    const char* column;
    Kind kind;
};

// The page as a person sees it, top to bottom and left to right.
const QList<Expected>& expectedFields() {
    static const QList<Expected> fields = {
        {1, "合同编号", "Edit1", "showcode", Text},
        {1, "合同名称", "Edit2", "conname", Text},
        {2, "甲方", "Edit3", "jiafang", Text},
        {2, "乙方", "Edit4", "yifang", Text},
        {3, "丙方", "Edit5", "bingfang", Text},
        {4, "单位名称", "ComboBox1", "dwmc", Choice},
        {4, "重要", "CheckBox1", "zhongyao", Flag},
        {4, "所属年度", "Edit6", "ssnd", Text},
        {5, "部门编号", "Edit7", "partcode", Text},
        {5, "所属部门", "ComboBox2", "partname", Choice},
        {5, "工程类别", "ComboBox3", "gclb", Choice},
        {5, "项目经理", "Edit9", "manager", Text},
        {6, "开工日期", "DateTimePicker1", "kgrq", Date},
        {6, "竣工日期", "DateTimePicker2", "jgrq", Date},
        {6, "呈批日期", "DateTimePicker3", "cprq", Date},
        {6, "工期", "Edit8", "gongqi", Text},
        {7, "质量要求", "Edit10", "zlyq", Text},
        {7, "承包范围", "Edit11", "cbfw", Text},
        {8, "日期", "DateTimePicker4", "qdrq", Date},
        {8, "审批人", "Edit12", "spr", Text},
        {8, "结构及规格说明", "Edit13", "jgjgg", Text},
        {9, "概算金额", "Edit14", "gsje", Amount},
        {9, "超概算金额", "Edit15", "cgsje", Amount},
        {9, "节概算金额", "Edit16", "jgsje", Amount},
        {10, "合同类别", "ComboBox4", "htlb", Choice},
        {10, "合同项目", "ComboBox5", "htxm", Choice},
        {10, "合同价款", "Edit17", "htjk", Amount},
        {10, "签证变量", "Edit18", "qzbg", Amount},
        {11, "工程总造价", "Edit19", "gczzj", Amount},
        {11, "代付款", "Edit20", "dfk", Amount},
        {11, "已付价款", "Edit21", "yfjk", Amount},
        {11, "剩余价款", "Edit22", "syjk", Amount},
        {12, "发票数额", "Edit23", "fpse", Amount},
        {12, "申报单号", "Edit24", "sbdh", Text},
        {12, "合同价说明", "Edit25", "htjsm", Text},
        {13, "预付款金额", "Edit26", "yfkje", Amount},
        {13, "预付款日期", "DateTimePicker5", "yfkrq", Date},
        {13, "结算金额", "Edit28", "jsje", Amount},
        {13, "结算日期", "DateTimePicker7", "jsrq", Date},
        {14, "归档编号", "Edit27", "gdbh", Text},
        {14, "归档日期", "DateTimePicker6", "gdrq", Date},
        {14, "归档", "CheckBox2", "gd", Flag},
        {15, "存放地点", "Edit29", "cfdd", Text},
        {16, "备注", "Memo1", "cbdd", Memo},
    };
    return fields;
}

const QStringList kAmountFields = {"Edit14", "Edit15", "Edit16", "Edit17", "Edit18", "Edit19",
                                   "Edit20", "Edit21", "Edit22", "Edit23", "Edit26", "Edit28"};

QString shownText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* box = qobject_cast<QComboBox*>(control)) return box->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) return memo->toPlainText();
    return {};
}

// One value of the row of contract 1, read outside the page.
QString stored(const EngineFixture& data, const QString& expression, qint64 conid = 1) {
    const auto reader = data.openQuery();
    reader->RunQuery(QStringLiteral("select ") + expression +
                     QStringLiteral(" as a from htmain where conid=") + QString::number(conid));
    if (reader->eof()) return QStringLiteral("(no row)");
    return reader->isNull("a") ? QStringLiteral("(null)") : reader->text("a");
}

// Every column of a row, nulls told from empty texts, for "nothing changed" checks.
QString wholeRow(const EngineFixture& data, qint64 conid = 1) {
    QStringList columns;
    for (const Expected& f : expectedFields())
        columns << stored(data, QLatin1String(f.column), conid);
    return columns.join(QLatin1Char('|'));
}

const QString kNewContract = QStringLiteral(
    "insert into htmain (conid,concode,conname,kgrq,jgrq,cprq,qdrq,yfkrq,jsrq,gdrq) values "
    "(%1,'0001','新合同','2026-03-01','2026-03-01','2026-03-01','2026-03-01','2026-03-01',"
    "'2026-03-01','2026-03-01')");

}  // namespace

class ContractInfoTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<ContractQuery> query_;
    std::unique_ptr<ContractInfoPage> page_;

    template <typename T = QWidget>
    T* control(const QString& name) const {
        T* widget = page_->findChild<T*>(name);
        if (!widget) qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* edit(const QString& name) const { return control<QLineEdit>(name); }

    // Loads contract 1 as the tree would, then types `text` into each named field.
    void loadAndType(const QList<QPair<QString, QString>>& typed) {
        page_->LoadContractRecord(1);
        for (const auto& [name, text] : typed) retype(control(name), text);
    }

  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data_ = std::make_unique<EngineFixture>(currentEngine());
        data_->executeOutside({kNewContract.arg(1)});
        desktop_ = std::make_unique<ScriptedDesktop>();
        query_ = data_->openQuery();
        page_ = std::make_unique<ContractInfoPage>(*query_, *desktop_);
        page_->resize(1000, 700);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        page_->ClearContractPage(desktop_->now());
    }
    void cleanup() {
        page_.reset();
        query_.reset();
        desktop_.reset();
        data_.reset();
    }

    // ------------------------------------------------------------ the controls

    void everyControlHasItsKindAndCaption() {
        QCOMPARE(page_->objectName(), QStringLiteral("TabSheet1"));
        QHash<QWidget*, QString> buddies;
        for (QLabel* label : page_->findChildren<QLabel*>())
            if (label->buddy()) buddies.insert(label->buddy(), label->text());

        for (const Expected& f : expectedFields()) {
            const QString caption = QString::fromUtf8(f.caption);
            QWidget* widget = control(QLatin1String(f.control));
            QCOMPARE(widget->accessibleName(), caption);
            switch (f.kind) {
                case Text:
                case Amount:
                    QVERIFY2(qobject_cast<QLineEdit*>(widget), f.control);
                    QCOMPARE(buddies.value(widget), caption);
                    break;
                case Choice:
                    QVERIFY2(qobject_cast<QComboBox*>(widget)->isEditable(), f.control);
                    QCOMPARE(buddies.value(widget), caption);
                    break;
                case Date: {
                    auto* picker = qobject_cast<QDateEdit*>(widget);
                    QVERIFY2(picker && picker->calendarPopup(), f.control);
                    QCOMPARE(picker->displayFormat(), QStringLiteral("yyyy-MM-dd"));
                    QCOMPARE(buddies.value(widget), caption);
                    break;
                }
                case Flag:
                    QCOMPARE(qobject_cast<QCheckBox*>(widget)->text(), caption);
                    break;
                case Memo: {
                    auto* memo = qobject_cast<QPlainTextEdit*>(widget);
                    QVERIFY(memo);
                    QCOMPARE(buddies.value(widget), caption);
                    const int lines =
                        memo->viewport()->height() / memo->fontMetrics().lineSpacing();
                    QCOMPARE(lines, 3);
                    QVERIFY(memo->width() > edit("Edit14")->width() * 3);  // the full width
                    break;
                }
            }
        }
        QCOMPARE(page_->findChildren<QLineEdit*>(QRegularExpression("^Edit\\d+$")).size(), 29);
    }

    void fieldsFollowTheLinesAndBands() {
        // The rules between bands: after lines 4, 8, 9 and 12.
        QList<int> rules;
        for (QFrame* frame : page_->findChildren<QFrame*>())
            if (frame->frameShape() == QFrame::HLine)
                rules << frame->mapTo(page_.get(), QPoint(0, 0)).y();
        std::sort(rules.begin(), rules.end());
        QCOMPARE(rules.size(), 4);

        const QList<Expected>& fields = expectedFields();
        const auto centre = [this](const Expected& f) {
            QWidget* w = control(QLatin1String(f.control));
            return w->mapTo(page_.get(), w->rect().center());
        };
        for (int i = 1; i < fields.size(); ++i) {
            const Expected &before = fields[i - 1], &after = fields[i];
            const QPoint a = centre(before), b = centre(after);
            if (before.line == after.line) {
                QVERIFY2(qAbs(a.y() - b.y()) < 4 && a.x() < b.x(), after.control);
            } else {
                QVERIFY2(b.y() > a.y() + 10, after.control);
                const int rulesAbove =
                    std::count_if(rules.begin(), rules.end(), [&](int y) { return y < b.y(); });
                static const QList<int> bandEnds = {4, 8, 9, 12};
                const int bandsEnded = int(std::count_if(bandEnds.begin(), bandEnds.end(),
                                                         [&](int l) { return l < after.line; }));
                QCOMPARE(rulesAbove, bandsEnded);
            }
        }
    }

    void aSmallWindowScrollsInsteadOfCrushing() {
        auto* scroll = page_->findChild<QScrollArea*>();
        QVERIFY(scroll);
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());  // the usual size fits
        const int usualWidth = edit("Edit14")->width();
        QVERIFY(usualWidth >= 90);

        page_->resize(420, 300);
        QTRY_VERIFY(scroll->verticalScrollBar()->isVisible());
        QVERIFY(scroll->horizontalScrollBar()->isVisible());
        QVERIFY(edit("Edit14")->width() >= 90);

        // A refused amount far down the page is brought into view with the focus.
        retype(edit("Edit28"), QStringLiteral("x"));
        QVERIFY(!page_->saveContractRecord(1));
        QTRY_VERIFY(edit("Edit28")->hasFocus());
        QWidget* viewport = scroll->viewport();
        const QRect shown(edit("Edit28")->mapTo(viewport, QPoint(0, 0)), edit("Edit28")->size());
        QVERIFY(viewport->rect().contains(shown.center()));
    }

    // ------------------------------------------------------------ clearing and loading

    void clearingResetsEveryField() {
        data_->executeOutside({"update htmain set cfdd='柜' where conid=1"});
        page_->LoadContractRecord(1);
        for (const Expected& f : expectedFields()) {
            QWidget* w = control(QLatin1String(f.control));
            if (f.kind == Flag)
                qobject_cast<QCheckBox*>(w)->setChecked(true);
            else if (f.kind == Date)
                qobject_cast<QDateEdit*>(w)->setDate(QDate(2001, 2, 3));
            else
                retype(w, QStringLiteral("7"));
        }
        const QDateTime now(QDate(2027, 8, 9), QTime(23, 59));
        page_->ClearContractPage(now);
        for (const Expected& f : expectedFields()) {
            QWidget* w = control(QLatin1String(f.control));
            switch (f.kind) {
                case Flag:
                    QVERIFY2(!qobject_cast<QCheckBox*>(w)->isChecked(), f.control);
                    break;
                case Date:
                    QCOMPARE(qobject_cast<QDateEdit*>(w)->date(), now.date());
                    break;
                case Amount:
                    QCOMPARE(shownText(w), QStringLiteral("0"));
                    break;
                default:
                    QVERIFY2(shownText(w).isEmpty(), f.control);
                    break;
            }
        }
    }

    void aNewContractLoadsWithEmptyDefaults() {
        // A row as the tree makes it: name and dates only; one date left unwritten.
        data_->executeOutside({"update htmain set gdrq=null where conid=1"});
        page_->LoadContractRecord(1);
        for (const Expected& f : expectedFields()) {
            QWidget* w = control(QLatin1String(f.control));
            switch (f.kind) {
                case Flag:
                    QVERIFY2(!qobject_cast<QCheckBox*>(w)->isChecked(), f.control);
                    break;
                case Date:
                    break;
                case Amount:
                    QCOMPARE(shownText(w), QStringLiteral("0"));
                    break;
                default:
                    QCOMPARE(shownText(w), f.column == QByteArray("conname")
                                               ? QStringLiteral("新合同")
                                               : QString());
            }
        }
        QCOMPARE(control<QDateEdit>("DateTimePicker1")->date(), QDate(2026, 3, 1));
        QCOMPARE(control<QDateEdit>("DateTimePicker6")->date(), QDate(1899, 12, 30));
    }

    void flagsCountOnlyTheExactTextTrue_data() {
        QTest::addColumn<QString>("storedFlag");
        QTest::addColumn<bool>("checked");
        QTest::newRow("true") << "'true'" << true;
        QTest::newRow("True") << "'True'" << false;
        QTest::newRow("TRUE") << "'TRUE'" << false;
        QTest::newRow("1") << "'1'" << false;
        QTest::newRow("false") << "'false'" << false;
        QTest::newRow("empty") << "''" << false;
        QTest::newRow("null") << "null" << false;
    }
    void flagsCountOnlyTheExactTextTrue() {
        QFETCH(QString, storedFlag);
        QFETCH(bool, checked);
        control<QCheckBox>("CheckBox1")->setChecked(!checked);
        control<QCheckBox>("CheckBox2")->setChecked(!checked);
        data_->executeOutside(
            {QStringLiteral("update htmain set zhongyao=%1,gd=%1 where conid=1").arg(storedFlag)});
        page_->LoadContractRecord(1);
        QCOMPARE(control<QCheckBox>("CheckBox1")->isChecked(), checked);
        QCOMPARE(control<QCheckBox>("CheckBox2")->isChecked(), checked);
    }

    void aContractWithoutRowLeavesThePageCleared() {
        data_->executeOutside({"update htmain set showcode='HT-1',gsje=5 where conid=1"});
        page_->LoadContractRecord(1);
        QCOMPARE(edit("Edit1")->text(), QStringLiteral("HT-1"));
        desktop_->clock = QDateTime(QDate(2030, 1, 2), QTime(8, 0));
        page_->LoadContractRecord(99);
        QCOMPARE(edit("Edit1")->text(), QString());
        QCOMPARE(edit("Edit2")->text(), QString());
        QCOMPARE(edit("Edit14")->text(), QStringLiteral("0"));
        QCOMPARE(control<QDateEdit>("DateTimePicker7")->date(), QDate(2030, 1, 2));
    }

    // ------------------------------------------------------------ saving

    void everyFieldRoundTrips() {
        data_->executeOutside({"update htmain set gd='true' where conid=1"});
        page_->LoadContractRecord(1);
        QVERIFY(control<QCheckBox>("CheckBox2")->isChecked());

        // Typed text → stored value → text shown after a reload.
        const QHash<QString, QPair<QString, QString>> amounts = {
            {"Edit14", {" 12.5 ", "12.5"}},   {"Edit15", {"1500.00", "1500"}},
            {"Edit16", {"1e3", "1000"}},      {"Edit17", {"-2.5", "-2.5"}},
            {"Edit18", {"0", "0"}},           {"Edit19", {"+7", "7"}},
            {"Edit20", {".5", "0.5"}},        {"Edit21", {"123456789.125", "123456789.125"}},
            {"Edit22", {"5.", "5"}},          {"Edit23", {"0.1", "0.1"}},
            {"Edit26", {"1.5E-3", "0.0015"}}, {"Edit28", {"99999999", "99999999"}},
        };
        const QString memoTyped = QStringLiteral("第一行 'a'\n第二行\n\n末行");
        int day = 0;
        QHash<QString, QString> typed;
        for (const Expected& f : expectedFields()) {
            const QString name = QLatin1String(f.control);
            QWidget* w = control(name);
            switch (f.kind) {
                case Text:
                case Choice:
                    typed[name] = QString::fromUtf8(f.caption) + QStringLiteral("'值\"") + name;
                    retype(w, typed[name]);
                    break;
                case Amount:
                    retype(w, amounts[name].first);
                    break;
                case Date:
                    qobject_cast<QDateEdit*>(w)->setDate(QDate(2021, 7, ++day));
                    break;
                case Flag:
                    w->setFocus();
                    QTest::keyClick(w, Qt::Key_Space);
                    break;
                case Memo:
                    retype(w, memoTyped);
                    break;
            }
        }
        QVERIFY(page_->saveContractRecord(1));
        QVERIFY(desktop_->messages.isEmpty());

        day = 0;
        for (const Expected& f : expectedFields()) {
            const QString name = QLatin1String(f.control);
            const QString column = QLatin1String(f.column);
            switch (f.kind) {
                case Text:
                case Choice:
                    QCOMPARE(stored(*data_, column), typed[name]);
                    break;
                case Amount:
                    // A server's column holds numbers only; a file's holds what it is given.
                    if (!data_->onServer())
                        QCOMPARE(stored(*data_, "typeof(" + column + ")"), QStringLiteral("real"));
                    QCOMPARE(stored(*data_, column).toDouble(), amounts[name].second.toDouble());
                    break;
                case Date:
                    QCOMPARE(stored(*data_, column), QDate(2021, 7, ++day).toString(Qt::ISODate));
                    break;
                case Flag:
                    break;
                case Memo:
                    QCOMPARE(stored(*data_, column),
                             QStringLiteral("第一行 'a'\r\n第二行\r\n\r\n末行"));
                    break;
            }
        }
        QCOMPARE(stored(*data_, "zhongyao||','||gd"), QStringLiteral("true,false"));

        page_->ClearContractPage(desktop_->now());
        page_->LoadContractRecord(1);
        day = 0;
        for (const Expected& f : expectedFields()) {
            const QString name = QLatin1String(f.control);
            QWidget* w = control(name);
            switch (f.kind) {
                case Text:
                case Choice:
                    QCOMPARE(shownText(w), typed[name]);
                    break;
                case Amount:
                    QCOMPARE(shownText(w), amounts[name].second);
                    break;
                case Date:
                    QCOMPARE(qobject_cast<QDateEdit*>(w)->date(), QDate(2021, 7, ++day));
                    break;
                case Flag:
                    break;
                case Memo:
                    QCOMPARE(shownText(w), memoTyped);
                    break;
            }
        }
        QVERIFY(control<QCheckBox>("CheckBox1")->isChecked());
        QVERIFY(!control<QCheckBox>("CheckBox2")->isChecked());
    }

    void aLoadedRecordSavesBackUnchanged() {
        // Every column written, with texts a person cannot easily type but a record may
        // hold: CR LF, a no-break space, a text longer than a line edit's usual limit.
        QStringList assignments;
        for (const Expected& f : expectedFields()) {
            const QString column = QLatin1String(f.column);
            switch (f.kind) {
                case Text:
                case Choice:
                    assignments << column + "='" + QString::fromUtf8(f.caption) + "'";
                    break;
                case Amount:
                    assignments << column + "=" + QString::number(assignments.size()) + ".25";
                    break;
                case Date:
                    assignments << column + "='2020-02-29'";
                    break;
                case Flag:
                    assignments << column + "='true'";
                    break;
                case Memo:
                    assignments << column + "='第一行\r\n第二行\r\n'";
                    break;
            }
        }
        const QStringList overrides = {
            "showcode='A''B'", "jiafang='甲\u00a0方'", "gd='false'", "jsje=0",
            QStringLiteral("jgjgg='%1'").arg(QString(40000, QChar(0x5408)))};
        data_->executeOutside({"update htmain set " + assignments.join(',') + " where conid=1",
                               "update htmain set " + overrides.join(',') + " where conid=1"});
        const QString before = wholeRow(*data_);
        QVERIFY(!before.contains("(null)"));
        page_->LoadContractRecord(1);
        QVERIFY(page_->saveContractRecord(1));
        QCOMPARE(wholeRow(*data_), before);
    }

    void amountChecks_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");  // empty: the save goes through
        QTest::addColumn<QString>("reloaded");
        const QStringList messages = {
            "概算金额数据输入错误，请重新输入",   "超概算金额数据输入错误，请重新输入",
            "节概算金额数据输入错误，请重新输入", "合同价款数据错误，请重新输入",
            "签证变量数据错误，请重新输入",       "工作总造价数据错误，请重新输入",
            "代付款数据错误，请重新输入",         "已付价款数据错误，请重新输入",
            "剩余价款数据错误，请重新输入",       "发票数额数据错误，请重新输入",
            "预付款金额数据错误，请重新输入",     "结算金额数据错误，请重新输入"};
        for (int i = 0; i < kAmountFields.size(); ++i)
            QTest::addRow("letters in %s", qPrintable(kAmountFields[i]))
                << kAmountFields[i] << "12a" << messages[i] << "";
        QTest::newRow("empty") << "Edit19"
                               << "" << messages[5] << "";
        QTest::newRow("blanks only") << "Edit20"
                                     << "  " << messages[6] << "";
        QTest::newRow("thousands separator") << "Edit17"
                                             << "1,500" << messages[3] << "";
        QTest::newRow("decimal comma") << "Edit17"
                                       << "2,5" << messages[3] << "";
        QTest::newRow("statement after a number") << "Edit28"
                                                  << "1;delete from htmain" << messages[11] << "";
        QTest::newRow("zero") << "Edit19"
                              << "0"
                              << ""
                              << "0";
        QTest::newRow("blanks around") << "Edit14"
                                       << " 12.5 "
                                       << ""
                                       << "12.5";
        QTest::newRow("trailing zeros") << "Edit28"
                                        << "1500.00"
                                        << ""
                                        << "1500";
        QTest::newRow("exponent") << "Edit26"
                                  << "1e3"
                                  << ""
                                  << "1000";
    }
    void amountChecks() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, reloaded);
        loadAndType({{"Edit1", "编号"}, {field, typed}});
        edit("Edit1")->setFocus();
        const QString before = wholeRow(*data_);

        StatementLog log(*query_);
        const bool saved = page_->saveContractRecord(1);
        if (!message.isEmpty()) {
            QVERIFY(!saved);
            QCOMPARE(desktop_->messageTexts(), QStringList{message});
            QCOMPARE(desktop_->lastMessage().title, QStringLiteral("提示"));
            QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Warning);
            QCOMPARE(desktop_->lastMessage().buttons, MessageButtons::Ok);
            QTRY_VERIFY(edit(field)->hasFocus());
            QCOMPARE(edit(field)->text(), typed);  // nothing the person typed is lost
            QVERIFY(log.statements.isEmpty());
            QCOMPARE(wholeRow(*data_), before);
        } else {
            QVERIFY(saved);
            QVERIFY(desktop_->messages.isEmpty());
            QCOMPARE(log.statements.size(), 1);
            const QString column =
                QLatin1String(std::find_if(expectedFields().begin(), expectedFields().end(),
                                           [&](const Expected& f) { return field == f.control; })
                                  ->column);
            QVERIFY2(log.statements[0].contains(QLatin1Char(',') + column + QLatin1Char('=') +
                                                typed + QLatin1Char(',')),
                     qPrintable(log.statements[0]));
            page_->LoadContractRecord(1);
            QCOMPARE(edit(field)->text(), reloaded);
            QCOMPARE(edit("Edit1")->text(), QStringLiteral("编号"));
        }
    }

    void correctingTheFirstBadAmountStopsAtTheNext() {
        loadAndType({{"Edit14", "abc"}, {"Edit28", "xyz"}});
        QVERIFY(!page_->saveContractRecord(1));
        QCOMPARE(desktop_->messageTexts(), QStringList{"概算金额数据输入错误，请重新输入"});
        QTRY_VERIFY(edit("Edit14")->hasFocus());

        typeText(edit("Edit14"), QStringLiteral("100"));  // the focus selected the text: typed over
        QCOMPARE(edit("Edit14")->text(), QStringLiteral("100"));
        QVERIFY(!page_->saveContractRecord(1));
        QCOMPARE(desktop_->lastMessage().text, QStringLiteral("结算金额数据错误，请重新输入"));
        QTRY_VERIFY(edit("Edit28")->hasFocus());
        QCOMPARE(stored(*data_, "gsje"), QStringLiteral("(null)"));
    }

    void aTextWithANulCharacterIsRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("caption");
        QTest::newRow("edit box") << "Edit3"
                                  << "甲方";
        QTest::newRow("drop-down") << "ComboBox1"
                                   << "单位名称";
        QTest::newRow("memo") << "Memo1"
                              << "备注";
    }
    void aTextWithANulCharacterIsRefused() {
        QFETCH(QString, field);
        QFETCH(QString, caption);
        // A NUL cannot be typed, but it can be pasted.
        loadAndType({{"Edit2", "新名称"}, {field, QString()}});
        QGuiApplication::clipboard()->setText(QStringLiteral("甲") + QChar(0) + "乙");
        QWidget* target = control(field);
        if (auto* box = qobject_cast<QComboBox*>(target)) target = box->lineEdit();
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(shownText(control(field)).size(), 3);
        const QString before = wholeRow(*data_);
        QVERIFY(!page_->saveContractRecord(1));
        QCOMPARE(
            desktop_->messageTexts(),
            QStringList{
                QStringLiteral("“%1”中含有空字符（NUL），无法保存，请删除后再试").arg(caption)});
        QTRY_VERIFY(control(field)->hasFocus() ||
                    control(field)->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(wholeRow(*data_), before);
    }

    void anEmptyNameIsSavedAsNewContract_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("badAmount");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty") << ""
                               << ""
                               << "新合同"
                               << "新合同";
        QTest::newRow("blanks are kept") << "  "
                                         << ""
                                         << "  "
                                         << "  ";
        QTest::newRow("empty, amount refused") << ""
                                               << "x"
                                               << "新合同"
                                               << "新合同'";
    }
    void anEmptyNameIsSavedAsNewContract() {
        QFETCH(QString, name);
        QFETCH(QString, badAmount);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        data_->executeOutside({"update htmain set conname='新合同''' where conid=1"});
        loadAndType({{"Edit2", name}});
        if (!badAmount.isEmpty()) retype(edit("Edit16"), badAmount);
        QCOMPARE(page_->saveContractRecord(1), badAmount.isEmpty());
        QCOMPARE(edit("Edit2")->text(), shown);
        QCOMPARE(page_->contractName(), shown);
        QCOMPARE(::stored(*data_, "conname"), stored);
    }

    void theUpdateStatementIsExact() {
        data_->executeOutside({kNewContract.arg(7)});
        page_->LoadContractRecord(7);
        retype(edit("Edit1"), QStringLiteral("HT-01"));
        retype(edit("Edit2"), QStringLiteral("O'Neil 工程"));
        retype(control("ComboBox1"), QStringLiteral("供方'单位"));
        control<QCheckBox>("CheckBox1")->setChecked(true);
        retype(edit("Edit14"), QStringLiteral(" 12.5 "));
        retype(edit("Edit17"), QStringLiteral("1e3"));
        control<QDateEdit>("DateTimePicker7")->setDate(QDate(2026, 12, 31));
        retype(edit("Edit29"), QStringLiteral("三楼"));
        retype(control("Memo1"), QStringLiteral("甲\n乙"));

        StatementLog log(*query_);
        QVERIFY(page_->saveContractRecord(7));
        const QString d = QStringLiteral("'2026-03-01'");
        const QString expected =
            QStringLiteral(
                "update htmain set showcode='HT-01',conname='O''Neil 工程',jiafang='',yifang='',"
                "bingfang='',dwmc='供方''单位',zhongyao='true',ssnd='',partcode='',partname='',"
                "gclb='',"
                "manager='',kgrq=%1,jgrq=%1,cprq=%1,gongqi='',zlyq='',cbfw='',qdrq=%1,spr='',jgjgg="
                "'',"
                "gsje= 12.5 ,cgsje=0,jgsje=0,htlb='',htxm='',htjk=1e3,qzbg=0,gczzj=0,dfk=0,yfjk=0,"
                "syjk=0,fpse=0,sbdh='',htjsm='',yfkje=0,yfkrq=%1,jsje=0,jsrq='2026-12-31',gdbh='',"
                "gdrq=%1,gd='false',cbdd='甲\r\n乙',cfdd='三楼' where conid=7")
                .arg(d);
        // On a server the save holds only over the version of the row that was loaded.
        QCOMPARE(log.statements, QStringList{expected + data_->versionCheck(0)});
        QCOMPARE(stored(*data_, "conname", 1),
                 QStringLiteral("新合同"));  // only contract 7 changed
    }

    void savingAContractThatHasNoRowFails() {
        page_->LoadContractRecord(1);
        data_->executeOutside({"delete from htmain"});
        retype(edit("Edit2"), QStringLiteral("名称"));
        QVERIFY_THROWS_EXCEPTION(AppError, page_->saveContractRecord(1));
        QCOMPARE(stored(*data_, "count(*)"), QStringLiteral("0"));
    }

    void anOlderFileKeepsTheStorageLocation() {
        if (data_->onServer()) QSKIP("about contract files written by an earlier version");
        // A file written before "存放地点" had a column gets it when opened.
        const QString older = data_->files().newContractFile(QStringLiteral("older.pzq"));
        ContractFileFixture::execute(older,
                                     {"alter table htmain drop column cfdd", kNewContract.arg(1)});
        ContractQuery query;
        query.setContractFile(older);
        ContractInfoPage page(query, *desktop_);
        page.LoadContractRecord(1);
        page.findChild<QLineEdit*>("Edit29")->setText(QStringLiteral("档案室"));
        QVERIFY(page.saveContractRecord(1));
        page.ClearContractPage(desktop_->now());
        page.LoadContractRecord(1);
        QCOMPARE(page.findChild<QLineEdit*>("Edit29")->text(), QStringLiteral("档案室"));
    }

    // ------------------------------------------------------------ in the main window

    void theMainWindowClearsThePageAndSavesOnlyASelectedContract() {
        ScriptedDesktop desktop;
        desktop.clock = QDateTime(QDate(2029, 5, 6), QTime(7, 0));
        Tmainf window(desktop, data_->files().programFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* page = window.findChild<ContractInfoPage*>(QStringLiteral("TabSheet1"));
        QVERIFY(page);
        QCOMPARE(page->findChild<QLineEdit*>("Edit23")->text(), QStringLiteral("0"));
        for (const char* picker : {"DateTimePicker1", "DateTimePicker6", "DateTimePicker7"})
            QCOMPARE(page->findChild<QDateEdit*>(picker)->date(), QDate(2029, 5, 6));

        QVERIFY(data_->openIn(window, desktop));
        const QString before = wholeRow(*data_);
        const QByteArray bytesBefore = data_->onServer() ? QByteArray() : fileBytes(data_->place());
        window.findChild<QAction*>(QStringLiteral("TBItem24"))->trigger();
        QCOMPARE(desktop.messageTexts(), QStringList{"请选择选择一个合同"});
        QCOMPARE(wholeRow(*data_), before);
        if (!data_->onServer()) QCOMPARE(fileBytes(data_->place()), bytesBefore);
    }

    void savingFromTheMainWindowFollowsTheSelectedNode() {
        data_->executeOutside({"update htmain set conname='甲合同' where conid=1"});
        ScriptedDesktop desktop;
        Tmainf window(desktop, data_->files().programFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(data_->openIn(window, desktop));
        QTreeWidget* tree = window.tree().view();
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        QVERIFY(window.tree().selectedRecord());
        auto* page = window.findChild<ContractInfoPage*>(QStringLiteral("TabSheet1"));
        auto* name = page->findChild<QLineEdit*>("Edit2");
        QCOMPARE(name->text(), QStringLiteral("甲合同"));
        auto* save = window.findChild<QAction*>(QStringLiteral("TBItem24"));

        // A refused amount, saved from another page: the field comes into view with the
        // focus, and neither the row nor the node changes.
        auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        retype(name, QString());
        retype(page->findChild<QLineEdit*>("Edit14"), QStringLiteral("十"));
        pages->setCurrentIndex(2);
        save->trigger();
        QCOMPARE(desktop.messageTexts(), QStringList{"概算金额数据输入错误，请重新输入"});
        QCOMPARE(pages->currentWidget(), page);
        QTRY_VERIFY(page->findChild<QLineEdit*>("Edit14")->hasFocus());
        QCOMPARE(stored(*data_, "conname"), QStringLiteral("甲合同"));
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("甲合同"));

        retype(page->findChild<QLineEdit*>("Edit14"), QStringLiteral("10"));
        save->trigger();
        QCOMPARE(desktop.messages.size(), 1);
        QCOMPARE(stored(*data_, "conname"), QStringLiteral("新合同"));
        QCOMPARE(name->text(), QStringLiteral("新合同"));
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("新合同"));
        QCOMPARE(window.tree().selectedRecord()->contractName, QStringLiteral("新合同"));
    }

    void aRenameEndedOnAnotherNodeLeavesThatContractsPage_data() {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("down arrow") << false;
        QTest::newRow("click on the other node") << true;
    }
    void aRenameEndedOnAnotherNodeLeavesThatContractsPage() {
        QFETCH(bool, byClick);
        data_->executeOutside(
            {"update htmain set conname='甲合同' where conid=1",
             "insert into htmain (conid,concode,conname) values (2,'0002','乙合同')"});
        ScriptedDesktop desktop;
        Tmainf window(desktop, data_->files().programFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(data_->openIn(window, desktop));
        QTreeWidget* tree = window.tree().view();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QTreeWidgetItem* first = tree->topLevelItem(0);
        QTreeWidgetItem* second = tree->topLevelItem(1);
        tree->setCurrentItem(first);
        tree->editItem(first);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(QStringLiteral("甲合同改"));
        if (byClick)
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(second).center());
        else
            QTest::keyClick(editor, Qt::Key_Down);

        QTRY_COMPARE(first->text(0), QStringLiteral("甲合同改"));
        auto* name = window.findChild<QLineEdit*>(QStringLiteral("Edit2"));
        QCOMPARE(window.tree().selectedRecord()->contractId, qint64(2));
        QCOMPARE(name->text(), QStringLiteral("乙合同"));
        window.findChild<QAction*>(QStringLiteral("TBItem24"))->trigger();
        QCOMPARE(stored(*data_, "conname", 1), QStringLiteral("甲合同改"));
        QCOMPARE(stored(*data_, "conname", 2), QStringLiteral("乙合同"));
        QVERIFY(desktop.messages.isEmpty());
    }
};

QTEST_MAIN(ContractInfoTest)
#include "tst_contractinfo.moc"
