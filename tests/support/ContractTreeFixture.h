#pragma once

#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
#include <memory>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "EngineFixture.h"
#include "NodeWalk.h"
#include "ScriptedDesktop.h"

// The texts of every node of a tree, in display order.
inline QStringList treeTexts(QTreeWidget* view) {
    QStringList texts;
    visitNodesBelow(view->invisibleRootItem(),
                    [&texts](QTreeWidgetItem* item) { texts << item->text(0); });
    return texts;
}

// Contracts seeded on the engine of the test's row (the test program adds the engine rows),
// and the contract tree over them, loaded.
struct ContractTreeFixture {
    EngineFixture data{currentEngine()};
    ScriptedDesktop desktop;
    QWidget host;
    std::unique_ptr<ContractQuery> ownQuery;
    ContractQuery& query;
    CommandGuard guard{desktop, &host};
    std::unique_ptr<ContractTree> tree;

    explicit ContractTreeFixture(const QStringList& seed = {})
        : ownQuery(seed.isEmpty() ? data.openQuery()
                                  : (data.executeOutside(seed), data.openQuery())),
          query(*ownQuery) {
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
                   "select i-%1+%3, '%4'||substr('000'||i,length('000'||i)-3), 'x' from n")
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

    // The contracts stored, as "id:code", by id.
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
    // Every row of every table (and on a server every piece of a stored file), through a
    // connection of its own: for "left as it was" checks.
    QStringList fileRows() const {
        static const QList<std::pair<QString, QString>> tables = {
            {"htmain", "conid"}, {"httext", "id"},     {"htfk", "fkid"},  {"htsp", "spid"},
            {"htyj", "htyjid"},  {"htqtyj", "qtyjid"}, {"infoset", "id"}, {"ghdwinfo", "id"}};
        const auto reader = data.openQuery();
        const auto columnsOf = [&](const QString& table) {
            QStringList columns;
            for (reader->RunQuery(
                     data.onServer()
                         ? QStringLiteral(
                               "select column_name as name from information_schema.columns "
                               "where table_name='%1' order by ordinal_position")
                               .arg(table)
                         : QStringLiteral("select name from pragma_table_info('%1') order by cid")
                               .arg(table));
                 !reader->eof(); reader->next())
                columns << reader->text("name");
            return columns;
        };
        QList<std::pair<QString, QString>> all = tables;
        if (data.onServer())
            all.append(
                std::pair<QString, QString>("blobchunk", "owner_table,owner_id,owner_column,seq"));
        QStringList rows;
        for (const auto& [table, key] : all) {
            const QStringList columns = columnsOf(table);
            for (reader->RunQuery(QStringLiteral("select * from %1 order by %2").arg(table, key));
                 !reader->eof(); reader->next()) {
                QStringList values{table};
                for (const QString& column : columns) {
                    const QByteArray name = column.toUtf8();
                    values << (reader->isNull(name.constData()) ? QStringLiteral("(null)")
                                                                : reader->text(name.constData()));
                }
                rows << values.join(QLatin1Char('|'));
            }
        }
        return rows;
    }
    // What a command that writes nothing leaves exactly as it was: the contract file's
    // bytes, or every row on a server.
    QByteArray everything() const {
        return data.onServer() ? fileRows().join(QLatin1Char('\n')).toUtf8()
                               : fileBytes(data.place());
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
