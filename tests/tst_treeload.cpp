// Loading the contract tree, its pictures, and what the mouse, the keyboard and an in-place
// edit do in it; on a contract file and on a server.
#include <QLineEdit>
#include <QtTest>

#include "AppError.h"
#include "ContractTreeFixture.h"

using Fixture = ContractTreeFixture;

namespace {

bool showsOpen(const QTreeWidgetItem* item) {
    return static_cast<const ContractNode*>(item)->showsOpen();
}

QString selectedCode(const Fixture& f) {
    const crconname* record = f.tree->selectedRecord();
    return record ? record->contractCode : QStringLiteral("(none)");
}

QStringList openPictures(const Fixture& f) {
    QStringList codes;
    for (const auto& record : f.tree->NodeList())
        if (showsOpen(f.node(record->contractCode))) codes << record->contractCode;
    return codes;
}

}  // namespace

class TreeLoadTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void shape_data() {
        QTest::addColumn<QStringList>("stored");  // codes in the order the rows are stored
        QTest::addColumn<QString>("shape");
        QTest::newRow("empty file") << QStringList() << "";
        QTest::newRow("parents stored after children")
            << QStringList{"000200020005", "0003", "00020002", "0002"}
            << "0002(00020002(000200020005)) 0003";
        QTest::newRow("segments compared as numbers")
            << QStringList{"00020010", "0002", "00020002", "1000", "0999"}
            << "0002(00020002 00020010) 0999 1000";
        QTest::newRow("missing parent: under the nearest ancestor")
            << QStringList{"000200030004", "0002", "00020002"} << "0002(00020002 000200030004)";
        QTest::newRow("missing top level: at the top")
            << QStringList{"00070002", "0002"} << "0002 00070002";
        QTest::newRow("codes not made of whole segments")
            << QStringList{"00021", "", "12", "0002", "000A", "ABCD0002", "00020002"}
            << " 12 0002(00021 00020002) 000A ABCD0002";
    }
    void shape() {
        QFETCH(QStringList, stored);
        QFETCH(QString, shape);
        Fixture f(Fixture::contracts(stored));
        QCOMPARE(f.shape(), shape);
        QCOMPARE(f.tree->NodeList().size(), size_t(stored.size()));
        QVERIFY(f.view()->selectedItems().isEmpty());
        QVERIFY(f.expandedCodes().isEmpty());
    }

    void nodeListIsInTreeOrder() {
        Fixture f(Fixture::contracts({"00030002", "00020010", "0003", "0002", "00020002"}));
        QStringList codes;
        for (const auto& record : f.tree->NodeList()) codes << record->contractCode;
        QCOMPARE(codes, QStringList({"0002", "0003", "00020002", "00020010", "00030002"}));
    }

    void rowsSharingACodeKeepTheQueryOrder() {
        // The query returns rows with equal codes by id; the first of them takes the child.
        Fixture f({Fixture::contract(5, "0002"), Fixture::contract(3, "0002"),
                   Fixture::contract(4, "00020002")});
        QCOMPARE(f.view()->topLevelItemCount(), 2);
        QCOMPARE(ContractNode::recordOf(f.view()->topLevelItem(0))->contractId, 3);
        QCOMPARE(ContractNode::recordOf(f.view()->topLevelItem(1))->contractId, 5);
        QCOMPARE(f.view()->topLevelItem(0)->childCount(), 1);
    }

    void reloadReplacesEverything() {
        Fixture f(Fixture::contracts({"0002", "00020002"}));
        f.select("00020002");
        f.data.executeOutside(
            {"delete from htmain where concode='00020002'", Fixture::contract(9, "0003")});
        f.tree->LoadContractTree();
        QCOMPARE(f.shape(), QStringLiteral("0002 0003"));
        QCOMPARE(f.tree->selectedRecord(), nullptr);
    }

    void failedLoadLeavesAnEmptyTree() {
        Fixture f(Fixture::contracts({"0002", "00020002"}));
        if (f.data.onServer()) {
            f.data.executeOutside({"alter table htmain rename to htmain_gone"});
        } else {
            QFile::remove(f.data.place());
            f.query.setContractFile(f.data.place());  // the next statement opens the vanished file
        }
        QVERIFY_THROWS_EXCEPTION(AppError, f.tree->LoadContractTree());
        QCOMPARE(f.view()->topLevelItemCount(), 0);
        QVERIFY(f.tree->NodeList().empty());
    }

    void expandToCodeOpensTheAncestorsWithTheirBranches() {
        Fixture f(Fixture::contracts({"0002", "00020002", "000200020002", "000200020003",
                                      "0002000200030002", "00020003", "000200030002", "0003",
                                      "00030002"}));
        f.tree->ExpandToCode(QString());
        QVERIFY(f.expandedCodes().isEmpty());
        f.tree->ExpandToCode(QStringLiteral("000200020002"));
        QCOMPARE(f.expandedCodes(), QStringList({"0002", "00020002", "00020003", "000200020003"}));
    }

    void picturesFollowAtTheNextRefresh() {
        Fixture f(Fixture::contracts({"0002", "00020002", "000200020002", "0003"}));
        const QImage closed = f.node("0002")->icon(0).pixmap(16).toImage();

        f.tree->expandAll();
        QVERIFY(openPictures(f).isEmpty());  // not before the next refresh
        f.tree->UpdateNodeImages();
        QCOMPARE(openPictures(f), QStringList({"0002", "00020002"}));  // a leaf has nothing to open
        QVERIFY(f.node("0002")->icon(0).pixmap(16).toImage() != closed);

        f.node("00020002")->setExpanded(false);  // as by the person, one node
        f.tree->UpdateNodeImages();
        QCOMPARE(openPictures(f), QStringList({"0002"}));

        f.tree->collapseAll();
        f.tree->UpdateNodeImages();
        QVERIFY(openPictures(f).isEmpty());

        f.tree->ExpandToCode(QStringLiteral("00020002"));
        f.tree->UpdateNodeImages();
        QCOMPARE(openPictures(f), QStringList({"0002", "00020002"}));
    }

    void mouseSelectsAndClicksKeyboardOnlySelects() {
        Fixture f(Fixture::contracts({"0002", "00020002", "0003", "0004"}));
        f.host.resize(300, 300);
        f.view()->resize(300, 300);
        f.host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.host));
        QSignalSpy changes(f.tree.get(), &ContractTree::selectionChanged);
        QSignalSpy clicks(f.tree.get(), &ContractTree::clicked);
        QWidget* viewport = f.view()->viewport();
        const auto centre = [&](const char* code) {
            return f.view()->visualItemRect(f.node(code)).center();
        };

        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre("0003"));
        QCOMPARE(selectedCode(f), QStringLiteral("0003"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(clicks.count(), 1);

        // A click on the empty part of the tree is a click, and keeps the selection.
        QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(5, 290));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(selectedCode(f), QStringLiteral("0003"));

        f.view()->setFocus();
        QTest::keyClick(f.view(), Qt::Key_Down);
        QCOMPARE(selectedCode(f), QStringLiteral("0004"));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(clicks.count(), 2);

        // A right press selects before the popup menu asks for the node.
        QString selectedAtMenu;
        connect(f.view(), &QWidget::customContextMenuRequested, this,
                [&] { selectedAtMenu = selectedCode(f); });
        QTest::mousePress(viewport, Qt::RightButton, {}, centre("0002"));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, centre("0002"),
                               viewport->mapToGlobal(centre("0002")));
        QApplication::sendEvent(viewport, &menu);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, centre("0002"));
        QCOMPARE(selectedAtMenu, QStringLiteral("0002"));
        QCOMPARE(clicks.count(), 2);

        // The expand mark opens the node; its picture follows at the release.
        QTreeWidgetItem* parent = f.node("0002");
        const QRect row = f.view()->visualItemRect(parent);
        QTest::mouseClick(viewport, Qt::LeftButton, {},
                          QPoint(row.left() - f.view()->indentation() / 2, row.center().y()));
        QVERIFY(parent->isExpanded());
        QVERIFY(showsOpen(parent));
    }

    void onlyTheSelectedNodeIsEdited() {
        // After a rebuild the view may still have a current node, but nothing is selected.
        Fixture f(Fixture::contracts({"0002", "0003"}));
        f.host.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.host));
        f.view()->setFocus();
        f.view()->selectionModel()->setCurrentIndex(f.view()->model()->index(1, 0),
                                                    QItemSelectionModel::NoUpdate);
        QTest::keyClick(f.view(), Qt::Key_F2);
        QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));

        f.select("0003");
        QTest::keyClick(f.view(), Qt::Key_F2);
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    }

    void renameInPlace_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("ending");  // Return, Down, or a click on the other node
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes stored as typed") << "O'Neil's 合同"
                                                << "Return"
                                                << "O'Neil's 合同";
        QTest::newRow("emptied text keeps the name") << ""
                                                     << "Return"
                                                     << "合同2";
        QTest::newRow("ended by the down arrow") << "新名称"
                                                 << "Down"
                                                 << "新名称";
        QTest::newRow("ended by a click on another node") << "新名称"
                                                          << "click"
                                                          << "新名称";
    }
    void renameInPlace() {
        QFETCH(QString, typed);
        QFETCH(QString, ending);
        QFETCH(QString, name);
        Fixture f(Fixture::contracts({"0002", "0003", "0004"}));
        f.host.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.host));
        QSignalSpy renamed(f.tree.get(), &ContractTree::renamed);
        QTreeWidgetItem* node = f.node("0003");
        f.view()->setCurrentItem(node);
        f.view()->editItem(node);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(typed);  // as typed: keyClicks knows no Chinese
        if (ending == QLatin1String("Return")) {
            QTest::keyClick(editor, Qt::Key_Return);
        } else if (ending == QLatin1String("Down")) {
            QTest::keyClick(editor, Qt::Key_Down);
        } else {
            QTest::mouseClick(f.view()->viewport(), Qt::LeftButton, {},
                              f.view()->visualItemRect(f.node("0004")).center());
        }

        // The edited contract takes the name; the page hears of it only while that
        // contract is the selected one, so another contract's page never shows it.
        const bool staysOnTheNode = ending == QLatin1String("Return");
        if (staysOnTheNode)
            QTRY_COMPARE(renamed.count(), 1);
        else
            QTRY_COMPARE(node->text(0), name);
        QCOMPARE(node->text(0), name);
        QStringList names;
        for (f.query.RunQuery(QStringLiteral("select conname from htmain order by conid"));
             !f.query.eof(); f.query.next())
            names << f.query.text("conname");
        QCOMPARE(names, (QStringList{"合同1", name, "合同3"}));
        if (staysOnTheNode) {
            QCOMPARE(selectedCode(f), QStringLiteral("0003"));
            QCOMPARE(renamed.first().first().toString(), name);
        } else {
            QCOMPARE(selectedCode(f), QStringLiteral("0004"));
            QCOMPARE(f.node("0004")->text(0), QStringLiteral("合同3"));
            QCOMPARE(renamed.count(), 0);
        }
    }

    void aNameWithANulCharacterIsRefused() {
        Fixture f(Fixture::contracts({"0002"}));
        const QByteArray before = f.everything();
        f.select("0002");
        f.guard.run(
            [&] { f.tree->TreeView1Edited(f.node("0002"), QStringLiteral("甲") + QChar(0)); });
        QCOMPARE(f.desktop.messageTexts(),
                 QStringList{"“合同名称”中含有空字符（NUL），无法保存，请删除后再试"});
        QCOMPARE(f.node("0002")->text(0), QStringLiteral("合同1"));
        QCOMPARE(f.everything(), before);
    }

    void childrenAreIndentedBy19Pixels() { QCOMPARE(Fixture().view()->indentation(), 19); }

    void refusedRenameKeepsTheName() {
        Fixture f(Fixture::contracts({"0002"}));
        f.data.refuseChanges("htmain", "update of conname", "x");
        f.host.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.host));
        QTreeWidgetItem* node = f.node("0002");
        f.view()->setCurrentItem(node);
        f.view()->editItem(node);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(QStringLiteral("新名称"));
        QTest::keyClick(editor, Qt::Key_Return);

        QTRY_COMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.lastMessage().icon, MessageIcon::Error);
        QCOMPARE(node->text(0), QStringLiteral("合同1"));
    }
};

QTEST_MAIN(TreeLoadTest)
#include "tst_treeload.moc"
