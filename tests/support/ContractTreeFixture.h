#pragma once

#include <sqlite3.h>

#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "NodeWalk.h"
#include "ScriptedDesktop.h"

// A contract file seeded with rows, and the contract tree over it, loaded.
struct ContractTreeFixture {
    ContractFileFixture files;
    QString file;
    ScriptedDesktop desktop;
    QWidget host;
    ContractQuery query;
    CommandGuard guard{desktop, &host};
    std::unique_ptr<ContractTree> tree;

    explicit ContractTreeFixture(const QStringList& seed = {}) {
        file = files.newContractFile();
        if (!seed.isEmpty()) ContractFileFixture::execute(file, seed);
        query.setContractFile(file);
        tree = std::make_unique<ContractTree>(query, desktop, guard, &host);
        tree->LoadContractTree();
    }

    // The statement that seeds one contract row.
    static QString contract(qint64 id, const QString& code) {
        return QStringLiteral(
                   "insert into htmain (conid,concode,conname) values (%1,'%2','合同%1')")
            .arg(id)
            .arg(code);
    }
    // Rows for the codes, ids counting from 1 in the order given.
    static QStringList contracts(const QStringList& codes) {
        QStringList statements;
        for (int i = 0; i < codes.size(); ++i) statements << contract(i + 1, codes[i]);
        return statements;
    }
    // Sub-contracts first..last of `parent`, ids from `firstId`: fills a level cheaply.
    static QString siblings(const QString& parent, int first, int last, int firstId) {
        return QStringLiteral(
                   "with recursive n(i) as (select %1 union all select i+1 from n where i<%2) "
                   "insert into htmain (conid,concode,conname) "
                   "select i-%1+%3, '%4'||substr('000'||i,-4), 'x' from n")
            .arg(first)
            .arg(last)
            .arg(firstId)
            .arg(parent);
    }

    QTreeWidget* view() const { return tree->view(); }

    // The tree by codes: "0002(00020002 00020003) 0003".
    QString shape() const {
        QStringList top;
        for (int i = 0; i < view()->topLevelItemCount(); ++i)
            top << shapeOf(view()->topLevelItem(i));
        return top.join(QLatin1Char(' '));
    }
    static QString shapeOf(const QTreeWidgetItem* item) {
        QString text = ContractNode::recordOf(item)->contractCode;
        if (item->childCount() == 0) return text;
        QStringList children;
        for (int i = 0; i < item->childCount(); ++i) children << shapeOf(item->child(i));
        return text + QLatin1Char('(') + children.join(QLatin1Char(' ')) + QLatin1Char(')');
    }

    // The first node, in display order, whose record passes the test.
    template <typename Test>
    QTreeWidgetItem* findNode(Test test) const {
        QTreeWidgetItem* found = nullptr;
        visitNodesBelow(view()->invisibleRootItem(), [&](QTreeWidgetItem* item) {
            if (!found && test(*ContractNode::recordOf(item))) found = item;
        });
        return found;
    }
    // The first node with the code.
    QTreeWidgetItem* node(const QString& code) const {
        return findNode([&code](const crconname& record) { return record.contractCode == code; });
    }
    // The node of the contract with the id.
    QTreeWidgetItem* nodeOfId(qint64 id) const {
        return findNode([id](const crconname& record) { return record.contractId == id; });
    }

    // Every node in display order, one line each: depth, id, code and text, and with
    // `withViewState` its picture, whether it is open and whether it is selected.
    static QStringList snapshot(const ContractTree& tree, bool withViewState = true) {
        QStringList lines;
        std::vector<std::pair<const QTreeWidgetItem*, int>> pending;
        const QTreeWidget* view = tree.view();
        for (int i = view->topLevelItemCount() - 1; i >= 0; --i)
            pending.emplace_back(view->topLevelItem(i), 0);
        while (!pending.empty()) {
            const auto [item, depth] = pending.back();
            pending.pop_back();
            const crconname* record = ContractNode::recordOf(item);
            QString line = QStringLiteral("%1 %2:%3 %4")
                               .arg(QString(depth * 2, QLatin1Char(' ')))
                               .arg(record->contractId)
                               .arg(record->contractCode, item->text(0));
            if (record->contractName != item->text(0)) line += QStringLiteral(" record:") + record->contractName;
            if (withViewState) {
                if (static_cast<const ContractNode*>(item)->showsOpen()) line += QStringLiteral(" [open picture]");
                if (item->childCount() > 0 && item->isExpanded()) line += QStringLiteral(" [expanded]");
                if (item->isSelected()) line += QStringLiteral(" [selected]");
            }
            lines << line;
            for (int i = item->childCount() - 1; i >= 0; --i)
                pending.emplace_back(item->child(i), depth + 1);
        }
        if (withViewState && view->currentItem())
            lines << QStringLiteral("current: ") +
                         QString::number(ContractNode::recordOf(view->currentItem())->contractId);
        return lines;
    }

    // What a tree freshly loaded from the file shows, with the branches of `expandCode`
    // opened as a command opens them.
    QStringList freshLoad(const QString& expandCode, bool withViewState = true) {
        QWidget otherHost;
        ContractTree fresh(query, desktop, guard, &otherHost);
        fresh.LoadContractTree();
        fresh.ExpandToCode(expandCode);
        return snapshot(fresh, withViewState);
    }

    void select(const QString& code) const {
        QTreeWidgetItem* item = node(code);
        Q_ASSERT(item);
        view()->setCurrentItem(item);
    }

    // The contracts of the file as "id:code", by id.
    QStringList fileContracts() {
        QStringList rows;
        for (query.RunQuery(QStringLiteral("select conid,concode from htmain order by conid"));
             !query.eof(); query.next())
            rows << QString::number(query.integer("conid")) + QLatin1Char(':') +
                        query.text("concode");
        return rows;
    }
    // NodeList as "id:code", by id, to compare with the file.
    QStringList nodeListContracts() const {
        std::vector<std::pair<qint64, QString>> rows;
        for (const auto& record : tree->NodeList())
            rows.emplace_back(record->contractId, record->contractCode);
        std::sort(rows.begin(), rows.end());
        QStringList texts;
        for (const auto& [id, code] : rows) texts << QString::number(id) + QLatin1Char(':') + code;
        return texts;
    }
    // Every row of every table, through a connection of its own: for "left as it was"
    // checks, where the engine may still touch the file's header.
    QStringList fileRows() const {
        QStringList rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        for (const char* table :
             {"htmain", "httext", "htfk", "htsp", "htyj", "htqtyj", "infoset", "ghdwinfo"}) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(
                db,
                QByteArray("select * from ").append(table).append(" order by rowid").constData(),
                -1, &statement, nullptr);
            while (statement && sqlite3_step(statement) == SQLITE_ROW) {
                QStringList values{QString::fromLatin1(table)};
                for (int i = 0; i < sqlite3_column_count(statement); ++i)
                    values << QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(statement, i)));
                rows << values.join(QLatin1Char('|'));
            }
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return rows;
    }

    QStringList expandedCodes() const {
        QStringList codes;
        for (const auto& record : tree->NodeList()) {
            const QTreeWidgetItem* item = node(record->contractCode);
            if (item && item->isExpanded() && item->childCount() > 0) codes << record->contractCode;
        }
        codes.removeDuplicates();
        return codes;
    }
};
