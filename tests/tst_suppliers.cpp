// The supplier directory "供货单位信息": its list, its fields, adding, editing, deleting
// and searching units, and the contract page's "单位名称" list after it closes; on a
// contract file and on a server.
#include <QAccessible>
#include <QtTest>
#include <QtWidgets>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractInfoPage.h"
#include "ContractQuery.h"
#include "EngineFixture.h"
#include "ScriptedDesktop.h"
#include "Tghdwform.h"
#include "Tmainf.h"
#include "Typing.h"

namespace {

using EditMode = Tghdwform::EditMode;

// The field panel as a person sees it: line, caption, control, column.
struct Field {
    int line;
    const char* caption;
    const char* control;
    const char* column;
};
const QList<Field> kFields = {
    {1, "单位名称", "Edit1", "dwmc"},     {2, "单位地址", "Edit2", "dwdz"},
    {3, "单位性质", "ComboBox1", "dwxz"}, {3, "省/地区", "Edit11", "sdq"},
    {4, "联系人", "Edit3", "lxr"},        {4, "邮编", "Edit4", "yb"},
    {5, "电话", "Edit5", "dh"},           {5, "传真", "Edit6", "cz"},
    {6, "结算银行", "Edit7", "jsyh"},     {7, "帐号", "Edit8", "zh"},
    {8, "增值税号", "Edit9", "zzsh"},
};

QString unit(int id, const QString& region, const QString& name) {
    return QStringLiteral("insert into ghdwinfo (id,sdq,dwmc,dwdz) values (%1,'%2','%3','%3地址')")
        .arg(id)
        .arg(region, name);
}

// Six units, listed as 北京 阿里(3), 北京 张三(1), 广州 甲(6), 上海 阿里巴巴(5), 上海 李四(2),
// 上海 王五(4).
const QStringList kSixUnits = {
    unit(1, "北京", "张三"), unit(2, "上海", "李四"),     unit(3, "北京", "阿里"),
    unit(4, "上海", "王五"), unit(5, "上海", "阿里巴巴"), unit(6, "广州", "甲"),
};

}  // namespace

class SuppliersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<CommandGuard> guard_;
    std::unique_ptr<ContractQuery> query_;
    std::unique_ptr<Tghdwform> dialog_;

    void openDialog(const QStringList& seed) {
        data_->executeOutside(seed);
        dialog_ = std::make_unique<Tghdwform>(*query_, *guard_);
        dialog_->show();
        if (!QTest::qWaitForWindowExposed(dialog_.get())) qFatal("the dialog did not show");
    }

    QTableWidget* grid() const { return dialog_->findChild<QTableWidget*>("StringGrid1"); }
    QWidget* control(const char* name) const { return dialog_->findChild<QWidget*>(name); }
    QPushButton* button(const char* name) const { return dialog_->findChild<QPushButton*>(name); }
    QPushButton* saveButton() const { return button("FlatButton2"); }
    void press(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    static QString textOf(QWidget* control) {
        if (auto* box = qobject_cast<QComboBox*>(control)) return box->currentText();
        return qobject_cast<QLineEdit*>(control)->text();
    }
    QString shown(const char* name) const { return textOf(control(name)); }

    // The list as "region name" lines, top to bottom.
    QStringList listed() const {
        QStringList rows;
        for (int r = 0; r < grid()->rowCount(); ++r)
            rows << grid()->item(r, 0)->text() + QLatin1Char(' ') + grid()->item(r, 1)->text();
        return rows;
    }
    int currentRow() const { return grid()->currentRow(); }

    // A click on the row's name, as a person makes it.
    void clickRow(int row) const {
        grid()->scrollToItem(grid()->item(row, 1));
        const QRect cell = grid()->visualItemRect(grid()->item(row, 1));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // The units stored, by id, every column in the insert statement's order.
    QStringList stored() const {
        const auto reader = data_->openQuery();
        QStringList rows;
        reader->RunQuery(QStringLiteral("select * from ghdwinfo order by id"));
        for (; !reader->eof(); reader->next()) {
            QStringList values{QString::number(reader->integer("id"))};
            for (const char* column :
                 {"dwmc", "dwdz", "dwxz", "lxr", "dh", "cz", "yb", "jsyh", "zh", "zzsh", "sdq"})
                values << reader->text(column);
            rows << values.join(QLatin1Char('|'));
        }
        return rows;
    }
    QString storedName(int id) const {
        for (const QString& row : stored())
            if (row.section('|', 0, 0) == QString::number(id)) return row.section('|', 1, 1);
        return QStringLiteral("(none)");
    }

  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data_ = std::make_unique<EngineFixture>(currentEngine());
        desktop_ = std::make_unique<ScriptedDesktop>();
        guard_ = std::make_unique<CommandGuard>(*desktop_, nullptr);
        query_ = data_->openQuery();
    }
    void cleanup() {
        dialog_.reset();
        query_.reset();
        guard_.reset();
        desktop_.reset();
        data_.reset();
    }

    // ------------------------------------------------------------ layout

    void searchBarListAndFieldsAreLaidOutLineByLine() {
        openDialog({});
        QCOMPARE(dialog_->objectName(), QStringLiteral("ghdwform"));
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("供货单位信息"));
        QCOMPARE(dialog_->size(), QSize(671, 363));
        QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());

        // Every field is found by its caption, line by line, left field before right.
        QHash<QString, QLabel*> labels;
        for (QLabel* label : dialog_->findChildren<QLabel*>())
            if (label->buddy()) labels.insert(label->text(), label);
        int previousLine = 0;
        int previousBottom = -1;
        QWidget* left = nullptr;
        for (const Field& field : kFields) {
            QLabel* label = labels.value(QString::fromUtf8(field.caption));
            QVERIFY2(label, field.caption);
            QCOMPARE(label->buddy()->objectName(), QString::fromLatin1(field.control));
            QWidget* control = label->buddy();
            // Assistive tools find the field through its label.
            const auto labelled =
                QAccessible::queryAccessibleInterface(control)->relations(QAccessible::Label);
            QVERIFY2(labelled.size() == 1 &&
                         labelled.first().first->text(QAccessible::Name) == label->text(),
                     field.caption);
            QVERIFY(dialog_->rect().contains(
                QRect(control->mapTo(dialog_.get(), QPoint()), control->size())));
            if (field.line != previousLine) {
                QVERIFY2(control->y() > previousBottom, field.caption);
                previousBottom = control->geometry().bottom();
                previousLine = field.line;
                left = control;
            } else {
                QVERIFY(qAbs(control->geometry().center().y() - left->geometry().center().y()) <=
                        1);
                QVERIFY(control->x() > left->geometry().right());
            }
            QVERIFY2(label->width() >= label->sizeHint().width(), field.caption);  // not cut
        }
        QCOMPARE(labels.value("输入要查询的单位名称")->buddy()->objectName(),
                 QStringLiteral("Edit10"));
        auto* kinds = qobject_cast<QComboBox*>(control("ComboBox1"));
        QVERIFY(kinds->isEditable());
        QCOMPARE(kinds->count(), 2);
        QCOMPARE(kinds->itemText(0), QStringLiteral("供方"));
        QCOMPARE(kinds->itemText(1), QStringLiteral("需方"));

        // The list on the left under the search bar, its key column shut.
        QCOMPARE(grid()->horizontalHeaderItem(0)->text(), QStringLiteral("省/地区"));
        QCOMPARE(grid()->horizontalHeaderItem(1)->text(), QStringLiteral("单位名称"));
        QCOMPARE(grid()->horizontalHeaderItem(2)->text(), QStringLiteral("编号"));
        QCOMPARE(grid()->columnWidth(0), 60);
        QCOMPARE(grid()->columnWidth(1), 200);
        QCOMPARE(grid()->columnWidth(2), 0);
        QCOMPARE(grid()->width(), 273);
        QVERIFY(grid()->geometry().right() < control("Edit1")->mapTo(dialog_.get(), QPoint()).x());
        QVERIFY(grid()->mapTo(dialog_.get(), QPoint()).y() >= 44);
        QVERIFY(control("Edit10")->mapTo(dialog_.get(), QPoint()).y() < 44);

        const QStringList captions = {"新增", "保存", "删除", "退出", "查询"};
        for (int i = 0; i < captions.size(); ++i) {
            QPushButton* b = button(qPrintable(QStringLiteral("FlatButton%1").arg(i + 1)));
            QCOMPARE(b->text(), captions[i]);
            QVERIFY(dialog_->rect().contains(QRect(b->mapTo(dialog_.get(), QPoint()), b->size())));
        }
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Idle);
    }

    void theTabKeyWalksTheDialogAsItIsLaidOut() {
        openDialog({unit(1, "北京", "甲")});
        control("Edit10")->setFocus();
        QStringList visited;
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            if (qobject_cast<QComboBox*>(focus->parentWidget())) focus = focus->parentWidget();
            visited << focus->objectName();
        }
        QCOMPARE(visited, (QStringList{"FlatButton5", "StringGrid1", "Edit1", "Edit2", "ComboBox1",
                                       "Edit11", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7",
                                       "Edit8", "Edit9", "FlatButton1", "FlatButton3"}));
    }

    // ------------------------------------------------------------ list and fields

    void unitsAreListedByRegionThenNameInPinyinOrder() {
        openDialog(kSixUnits + QStringList{
                                   "insert into ghdwinfo (id,dwmc) values (7,'无地区')",
                               });
        QCOMPARE(listed(), (QStringList{" 无地区", "北京 阿里", "北京 张三", "广州 甲",
                                        "上海 阿里巴巴", "上海 李四", "上海 王五"}));
        QCOMPARE(grid()->item(1, 2)->text(), QStringLiteral("3"));
        // The first unit of the list is shown.
        QCOMPARE(currentRow(), 0);
        QCOMPARE(shown("Edit1"), QStringLiteral("无地区"));
    }

    void anEmptyDirectoryShowsOneEmptyRowAndTypingArmsNothing() {
        openDialog({});
        QCOMPARE(grid()->rowCount(), 1);
        for (int c = 0; c < 3; ++c) QCOMPARE(grid()->item(0, c)->text(), QString());
        for (const Field& field : kFields) QCOMPARE(shown(field.control), QString());

        retype(control("Edit1"), QStringLiteral("甲公司"));
        retype(control("ComboBox1"), QStringLiteral("供方"));
        clickRow(0);
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Idle);
        QVERIFY(desktop_->messages.isEmpty());

        press("FlatButton1");
        retype(control("Edit1"), QStringLiteral("甲公司"));
        press("FlatButton2");
        QVERIFY(desktop_->messages.isEmpty());
        QCOMPARE(stored(), QStringList{"1|甲公司||||||||||"});
        QCOMPARE(listed(), QStringList{" 甲公司"});
        QCOMPARE(currentRow(), 0);
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Idle);
    }

    void aClickShowsTheUnitInEveryFieldWithoutArmingSave() {
        const QHash<QString, QString> values = {
            {"dwmc", "名称"}, {"dwdz", "地址"}, {"dwxz", "性质"}, {"lxr", "联系人"},
            {"dh", "电话"},   {"cz", "传真"},   {"yb", "邮编"},   {"jsyh", "银行"},
            {"zh", "帐号"},   {"zzsh", "税号"}, {"sdq", "天津"},
        };
        QStringList columns;
        QStringList literals;
        for (auto it = values.begin(); it != values.end(); ++it) {
            columns << it.key();
            literals << "'" + it.value() + "'";
        }
        openDialog({unit(1, "北京", "甲"), "insert into ghdwinfo (id," + columns.join(',') +
                                               ") values (2," + literals.join(',') + ")"});
        clickRow(1);
        for (const Field& field : kFields)
            QVERIFY2(shown(field.control) == values.value(field.column), field.caption);
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Idle);

        // Back to the first unit, the texts of the second are all replaced.
        clickRow(0);
        QCOMPARE(shown("Edit1"), QStringLiteral("甲"));
        QCOMPARE(shown("ComboBox1"), QString());
        QCOMPARE(shown("Edit9"), QString());
    }

    // ------------------------------------------------------------ saving

    void newUnitsAreInsertedWithTheNextIdInTheColumnOrder() {
        openDialog({unit(4, "北京", "甲"), unit(9, "北京", "乙")});
        press("FlatButton1");
        QCOMPARE(dialog_->editMode(), EditMode::NewRecord);
        QVERIFY(saveButton()->isEnabled());
        QVERIFY(control("Edit1")->hasFocus());
        for (const Field& field : kFields)
            retype(control(field.control), QString::fromUtf8(field.caption) + "'");
        retype(control("Edit11"), QStringLiteral("安徽"));

        StatementLog log(*query_);
        press("FlatButton2");
        QVERIFY(desktop_->messages.isEmpty());
        QVERIFY(log.statements.contains(
            "insert into ghdwinfo (id,dwmc,dwdz,dwxz,lxr,dh,cz,yb,jsyh,zh,zzsh,sdq) values "
            "(10,'单位名称''','单位地址''','单位性质''','联系人''','电话''','传真''','邮编''',"
            "'结算银行''','帐号''','增值税号''','安徽')"));
        QCOMPARE(stored().last(), QStringLiteral("10|单位名称'|单位地址'|单位性质'|联系人'|电话'|"
                                                 "传真'|邮编'|结算银行'|帐号'|增值税号'|安徽"));
        // 安徽 sorts first: the new unit is current, and the first row was current anyway.
        QCOMPARE(currentRow(), 0);
        QCOMPARE(grid()->item(0, 2)->text(), QStringLiteral("10"));
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Idle);
    }

    void anEditedUnitIsUpdatedAndStaysCurrentWhereverItMoves() {
        openDialog(kSixUnits);
        clickRow(1);  // 北京 张三 (1)
        retype(control("Edit1"), QStringLiteral("赵六"));
        QVERIFY(saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Edited);
        retype(control("Edit11"), QStringLiteral("上海"));  // a further edit keeps the mode
        QCOMPARE(dialog_->editMode(), EditMode::Edited);

        const QStringList before = stored();
        StatementLog log(*query_);
        press("FlatButton2");
        QVERIFY(desktop_->messages.isEmpty());
        QCOMPARE(log.statements.first(),
                 "update ghdwinfo set dwmc='赵六',dwdz='张三地址',dwxz='',lxr='',dh='',cz='',yb='',"
                 "jsyh='',zh='',zzsh='',sdq='上海' where id=1" +
                     data_->versionCheck(0));
        QStringList after = before;
        after[0] = QStringLiteral("1|赵六|张三地址|||||||||上海");
        QCOMPARE(stored(), after);

        QCOMPARE(listed().last(), QStringLiteral("上海 赵六"));
        QCOMPARE(currentRow(), 5);
        QCOMPARE(shown("Edit1"), QStringLiteral("赵六"));
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::Idle);
    }

    void choosingOrTypingAnyKindEditsTheUnit_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("chosen");  // from the list rather than typed
        QTest::newRow("需方 chosen") << "需方" << true;
        QTest::newRow("供方 typed") << "供方" << false;
        QTest::newRow("another kind typed") << "代理商" << false;
    }
    void choosingOrTypingAnyKindEditsTheUnit() {
        QFETCH(QString, kind);
        QFETCH(bool, chosen);
        openDialog({unit(1, "北京", "甲")});
        auto* box = qobject_cast<QComboBox*>(control("ComboBox1"));
        if (chosen) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);  // opens the list
            QTRY_VERIFY(box->view()->isVisible());
            const QModelIndex entry = box->model()->index(box->findText(kind), 0);
            box->view()->setCurrentIndex(entry);
            QTest::keyClick(box->view(), Qt::Key_Return);
        } else {
            retype(box, kind);
        }
        QCOMPARE(box->currentText(), kind);
        QCOMPARE(dialog_->editMode(), EditMode::Edited);
        press("FlatButton2");
        QCOMPARE(stored(), QStringList{"1|甲|甲地址|" + kind + "||||||||北京"});
        QCOMPARE(box->count(), 2);  // a typed kind is stored, not offered
    }

    void afterNewAnEditedOtherUnitIsInsertedAndTheClickedOneKept() {
        openDialog(kSixUnits);
        press("FlatButton1");
        clickRow(2);  // 广州 甲 (6)
        QVERIFY(!saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::NewRecord);
        retype(control("Edit1"), QStringLiteral("甲分公司"));
        QVERIFY(saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), EditMode::NewRecord);
        press("FlatButton2");

        QCOMPARE(stored().size(), 7);
        QCOMPARE(storedName(6), QStringLiteral("甲"));
        QCOMPARE(stored().last(), QStringLiteral("7|甲分公司|甲地址|||||||||广州"));
        QCOMPARE(listed()[currentRow()], QStringLiteral("广州 甲分公司"));
        QCOMPARE(dialog_->editMode(), EditMode::Idle);
    }

    void aFailedSaveIsReportedAndStaysArmed_data() {
        QTest::addColumn<bool>("insert");
        QTest::newRow("insert") << true;
        QTest::newRow("update") << false;
    }
    void aFailedSaveIsReportedAndStaysArmed() {
        QFETCH(bool, insert);
        for (const char* change : {"insert", "update"})
            data_->refuseChanges("ghdwinfo", change, "拒绝", "new.dwmc='坏'");
        openDialog(kSixUnits);
        clickRow(3);
        if (insert) press("FlatButton1");
        retype(control("Edit1"), QStringLiteral("坏"));
        const QStringList before = stored();
        press("FlatButton2");

        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(desktop_->lastMessage().text.contains(QStringLiteral("拒绝")));
        QCOMPARE(stored(), before);
        QVERIFY(saveButton()->isEnabled());
        QCOMPARE(dialog_->editMode(), insert ? EditMode::NewRecord : EditMode::Edited);
        QCOMPARE(shown("Edit1"), QStringLiteral("坏"));
        QCOMPARE(currentRow(), 3);

        // Corrected and saved again, the texts are stored.
        retype(control("Edit1"), QStringLiteral("好"));
        press("FlatButton2");
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(stored().size(), insert ? 7 : 6);
        QVERIFY(stored().join('\n').contains(QStringLiteral("|好|")));
    }

    // ------------------------------------------------------------ deleting

    void deleting_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("deleted");  // name, empty when nothing is
        QTest::addColumn<int>("currentAfter");
        QTest::addColumn<QString>("shownAfter");
        QTest::newRow("No") << 3 << false << "" << 3 << "阿里巴巴";
        QTest::newRow("first row") << 0 << true << "阿里" << 0 << "张三";
        QTest::newRow("second row") << 1 << true << "张三" << 0 << "阿里";
        QTest::newRow("third row") << 2 << true << "甲" << 1 << "张三";
        QTest::newRow("last row") << 5 << true << "王五" << 4 << "李四";
    }
    void deleting() {
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(QString, deleted);
        QFETCH(int, currentAfter);
        QFETCH(QString, shownAfter);
        openDialog(kSixUnits);
        clickRow(row);
        desktop_->answers << (yes ? MessageAnswer::Yes : MessageAnswer::No);
        const QStringList before = listed();
        press("FlatButton3");

        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().text, QStringLiteral("确定要删除当前供货商记录吗？"));
        QCOMPARE(desktop_->lastMessage().title, QStringLiteral("确认"));
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Question);
        QCOMPARE(desktop_->lastMessage().buttons, MessageButtons::YesNo);
        QStringList remaining = before;
        if (!deleted.isEmpty()) remaining.removeAt(row);
        QCOMPARE(listed(), remaining);
        QCOMPARE(stored().size(), remaining.size());
        QCOMPARE(currentRow(), currentAfter);
        QCOMPARE(shown("Edit1"), shownAfter);
    }

    void anEditedUnitDeletedLeavesNothingToSaveOverAnother() {
        openDialog(kSixUnits);
        clickRow(1);  // 北京 张三 (1)
        retype(control("Edit1"), QStringLiteral("改过"));
        press("FlatButton3");
        // The unit now in the first row is shown as stored, so an edit and a save write
        // its own texts back, not the deleted unit's.
        QCOMPARE(currentRow(), 0);
        QCOMPARE(shown("Edit1"), QStringLiteral("阿里"));
        QCOMPARE(storedName(1), QStringLiteral("(none)"));
        QVERIFY(!saveButton()->isEnabled());
        retype(control("Edit3"), QStringLiteral("联系人"));
        press("FlatButton2");
        QVERIFY(stored().contains(QStringLiteral("3|阿里|阿里地址||联系人|||||||北京")));
        QCOMPARE(stored().size(), 5);
    }

    void aFailedDeleteIsReportedAndChangesNothing() {
        data_->refuseChanges("ghdwinfo", "delete", "拒绝");
        openDialog(kSixUnits);
        clickRow(3);
        const QStringList before = stored();
        press("FlatButton3");
        QCOMPARE(desktop_->messages.size(), 2);  // the question, then the error
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(desktop_->lastMessage().text.contains(QStringLiteral("拒绝")));
        QCOMPARE(stored(), before);
        QCOMPARE(currentRow(), 3);
        QCOMPARE(shown("Edit1"), QStringLiteral("阿里巴巴"));
    }

    void deletingTheLastUnitEmptiesTheFields() {
        openDialog({unit(1, "北京", "甲")});
        press("FlatButton3");
        QCOMPARE(stored(), QStringList());
        QCOMPARE(grid()->rowCount(), 1);
        QCOMPARE(grid()->item(0, 1)->text(), QString());
        for (const Field& field : kFields) QCOMPARE(shown(field.control), QString());
        QVERIFY(!saveButton()->isEnabled());

        // Nothing left: a second delete asks, then does nothing.
        press("FlatButton3");
        QCOMPARE(desktop_->messages.size(), 2);
        QCOMPARE(desktop_->lastMessage().title, QStringLiteral("确认"));
    }

    // ------------------------------------------------------------ searching

    void searching_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<int>("found");  // -1: "没有找到"
        QTest::newRow("the next match below") << 0 << "阿里" << 3;
        QTest::newRow("again, from the match") << 3 << "阿里" << 0;
        QTest::newRow("wraps to the top") << 4 << "张" << 1;
        QTest::newRow("only the current row") << 2 << "甲" << 2;
        QTest::newRow("a part of a name") << 5 << "巴巴" << 3;
        QTest::newRow("empty text") << 0 << "" << -1;
        QTest::newRow("no name holds it") << 0 << "丙" << -1;
        QTest::newRow("regions are not searched") << 0 << "上海" << -1;
    }
    void searching() {
        QFETCH(int, from);
        QFETCH(QString, wanted);
        QFETCH(int, found);
        openDialog(kSixUnits);
        clickRow(from);
        retype(control("Edit10"), wanted);
        press("FlatButton5");
        if (found < 0) {
            QCOMPARE(desktop_->messages.size(), 1);
            QCOMPARE(desktop_->lastMessage().text, QStringLiteral("没有找到"));
            QCOMPARE(desktop_->lastMessage().title, QStringLiteral("提示"));
            QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Warning);
            QCOMPARE(desktop_->lastMessage().buttons, MessageButtons::Ok);
            QCOMPARE(currentRow(), from);
        } else {
            QVERIFY(desktop_->messages.isEmpty());
            QCOMPARE(currentRow(), found);
            QCOMPARE(shown("Edit1"), grid()->item(found, 1)->text());
        }
        QVERIFY(!saveButton()->isEnabled());
    }

    void searchingComparesCase() {
        openDialog({unit(1, "", "ABC Ltd"), unit(2, "", "abc Ltd")});
        retype(control("Edit10"), QStringLiteral("abc"));
        press("FlatButton5");
        QCOMPARE(grid()->item(currentRow(), 2)->text(), QStringLiteral("2"));
    }

    void newEmptiesTheSearchField() {
        openDialog(kSixUnits);
        retype(control("Edit10"), QStringLiteral("阿里"));
        press("FlatButton1");
        QCOMPARE(shown("Edit10"), QString());
        for (const Field& field : kFields) QCOMPARE(shown(field.control), QString());
    }

    // ------------------------------------------------------------ failures

    void aUnitThatCannotBeLoadedIsReportedAndNotShown() {
        openDialog(kSixUnits);
        data_->executeOutside({"delete from ghdwinfo where id=5"});
        clickRow(3);  // 上海 阿里巴巴, gone behind the dialog's back
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(desktop_->lastMessage().text.contains(QStringLiteral("供货单位记录不存在")));
        for (const Field& field : kFields) QCOMPARE(shown(field.control), QString());
        QVERIFY(!saveButton()->isEnabled());
    }

    // ------------------------------------------------------------ from the main window

    void theCommandOpensTheDialogAndRefillsTheNameList_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("toolbar") << "TBItem55";
        QTest::newRow("menu") << "TBItem14";
    }
    void theCommandOpensTheDialogAndRefillsTheNameList() {
        QFETCH(QString, item);
        data_->executeOutside({unit(1, "北京", "张三"), unit(2, "上海", "阿里")});
        ScriptedDesktop desktop;
        Tmainf window(desktop, data_->files().programFolder());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Both wait for contracts to be open; the menu item through its menu.
        const QString gate = item == "TBItem14" ? QStringLiteral("TBSubmenuItem3") : item;
        QVERIFY(!window.findChild<QAction*>(gate)->isEnabled());
        QVERIFY(data_->openIn(window, desktop));
        QVERIFY(window.findChild<QAction*>(gate)->isEnabled());

        bool edited = false;
        QTimer::singleShot(0, &window, [&] {
            auto* dialog = qobject_cast<Tghdwform*>(QApplication::activeModalWidget());
            if (!dialog) return;
            QCOMPARE(dialog->parentWidget(), &window);
            const auto button = [dialog](const char* name) {
                return dialog->findChild<QPushButton*>(name);
            };
            QTest::mouseClick(button("FlatButton1"), Qt::LeftButton);
            typeText(dialog->findChild<QLineEdit*>("Edit1"), QStringLiteral("王五"));
            QTest::mouseClick(button("FlatButton2"), Qt::LeftButton);
            retype(dialog->findChild<QLineEdit*>("Edit1"), QStringLiteral("李四"));
            QTest::mouseClick(button("FlatButton2"), Qt::LeftButton);
            edited = true;
            QTest::mouseClick(button("FlatButton4"), Qt::LeftButton);
        });
        // Never hang on a dialog the test could not reach.
        QTimer::singleShot(5000, &window, [] {
            if (auto* open = QApplication::activeModalWidget()) open->close();
        });
        window.findChild<QAction*>(item)->trigger();
        QVERIFY(edited);
        QVERIFY(desktop.messages.isEmpty());
        QVERIFY(!window.findChild<Tghdwform*>());

        auto* page = window.findChild<ContractInfoPage*>(QStringLiteral("TabSheet1"));
        auto* names = page->findChild<QComboBox*>("ComboBox1");
        QStringList offered;
        for (int i = 0; i < names->count(); ++i) offered << names->itemText(i);
        QCOMPARE(offered, (QStringList{"阿里", "李四", "张三"}));
    }
};

QTEST_MAIN(SuppliersTest)
#include "tst_suppliers.moc"
