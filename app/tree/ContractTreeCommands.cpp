// The commands that change the hierarchy: add, add below, delete, rename, move and make
// independent. Each writes the file, then changes the tree in place as the file now is.
#include <QStringBuilder>
#include <algorithm>

#include "ContractCode.h"
#include "ContractCodesInFile.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "ContractTreeView.h"
#include "Desktop.h"
#include "SqlLiteral.h"
#include "Transaction.h"

namespace {

const QString kTitle = QStringLiteral("提示");

// Contracts named per statement: a branch is written in a few statements rather than one
// per contract, which on a server is one round trip each.
constexpr size_t kIdsPerStatement = 500;

// " in (…)" lists of the contracts' ids, at most kIdsPerStatement each.
QStringList idLists(const std::vector<ContractNode*>& contracts) {
    QStringList lists;
    for (size_t first = 0; first < contracts.size(); first += kIdsPerStatement) {
        QStringList ids;
        for (size_t i = first; i < std::min(contracts.size(), first + kIdsPerStatement); ++i)
            ids << QString::number(contracts[i]->record()->contractId);
        lists << QStringLiteral(" in (") % ids.join(QLatin1Char(',')) % QLatin1Char(')');
    }
    return lists;
}

}  // namespace

QWidget* ContractTree::messageParent() const {
    return guard_.parent() ? guard_.parent() : view_.data();
}

void ContractTree::refuse(const QString& text) {
    showWarning(desktop_, messageParent(), text, kTitle);
}

void ContractTree::writeThenChange(const std::function<QString()>& statements,
                                   const std::function<QString()>& change) {
    QString refusal;
    try {
        Transaction transaction(query_);
        refusal = statements();
        if (refusal.isEmpty()) transaction.commit();
    } catch (...) {
        // Rolled back by now. The tree is loaded from the file before the error is shown,
        // so that it holds the codes the file holds; should the load fail as well, the
        // first error is the one that explains what happened.
        const std::exception_ptr error = std::current_exception();
        try {
            LoadContractTree();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
    if (!refusal.isEmpty()) {
        refuse(refusal);
        return;
    }
    try {
        showAsLoaded(change());
    } catch (...) {
        // The file holds the command; a tree that could not follow it is loaded anew.
        LoadContractTree();
        throw;
    }
}

void ContractTree::addContract() {
    // The file, not the tree, says which ids and numbers are taken. Numbers freed by
    // deletions are not handed out again.
    NewContractRow row;
    writeThenChange(
        [&] {
            const int largest = LargestTopLevelNumberInFile(query_);
            if (largest >= contractcode::kLargestSibling)
                return QStringLiteral("顶层合同的编号已用到9999，无法再添加合同");
            row = InsertContractRow(query_, FormatCodeSegment(largest + 1), desktop_.now().date());
            return QString();
        },
        [&] {
            attachBranch(newNode(row.id, row.code, QStringLiteral("新合同")));
            return QString();
        });
}

void ContractTree::addSubContract() {
    ContractNode* node = selectedNode();
    if (!node) {
        refuse(QStringLiteral("请选择选择一个合同"));
        return;
    }
    const QString parentCode = node->record()->contractCode.trimmed();
    if (!IsWholeSegmentCode(parentCode)) {
        refuse(QStringLiteral("所选合同的编号不完整，不能在它下面添加子合同"));
        return;
    }
    NewContractRow row;
    writeThenChange(
        [&] {
            const std::optional<QString> free = FirstFreeChildCodeInFile(query_, parentCode);
            if (!free) return QStringLiteral("所选合同的子合同编号已用到9999，无法再添加子合同");
            row = InsertContractRow(query_, *free, desktop_.now().date());
            return QString();
        },
        [&] {
            attachBranch(newNode(row.id, row.code, QStringLiteral("新合同")));
            return row.code;
        });
}

void ContractTree::DeleteContractRows(const std::vector<ContractNode*>& contracts) {
    static const char* const statements[] = {
        "delete from htmain where conid", "delete from htfk where conid",
        "delete from htqtyj where conid", "delete from htsp where conid",
        "delete from httext where conid", "delete from htyj where conid",
    };
    for (const QString& ids : idLists(contracts))
        for (const char* statement : statements) query_.RunCommand(QLatin1String(statement) % ids);
}

void ContractTree::deleteContract() {
    ContractNode* node = selectedNode();
    if (!node) {
        refuse(QStringLiteral("请选择选择一个合同，然后再删除"));
        return;
    }
    const QString name = node->text(0);
    const QString question =
        node->childCount() > 0
            ? QStringLiteral("将删除当前合同 ") % name % QStringLiteral(" 及其子合同，是否继续？")
            : QStringLiteral("将删除当前合同 ") % name % QStringLiteral(" ，是否继续？");
    if (!askYesNo(desktop_, messageParent(), question, kTitle, MessageIcon::Warning)) return;

    // The branch as the tree shows it: a second row that merely shares the code of the
    // selected one is another contract and stays.
    const std::vector<ContractNode*> branch = branchOf(node);
    const crconname* parent = ContractNode::recordOf(node->parent());
    const QString parentCode = parent ? parent->contractCode : QString();
    writeThenChange(
        [&] {
            DeleteContractRows(branch);
            return QString();
        },
        [&] {
            detachBranch(node);
            forgetRecords(branch);
            delete node;
            return parentCode;
        });
}

void ContractTree::TreeView1Edited(QTreeWidgetItem* node, const QString& text) {
    const crconname* record = ContractNode::recordOf(node);
    if (!record) return;
    // An emptied text keeps the name.
    const QString name = text.isEmpty() ? node->text(0) : text;
    if (!sql::isStorableText(name)) {
        refuse(sql::unstorableTextMessage(QStringLiteral("合同名称")));
        return;
    }
    query_.RunCommand(QStringLiteral("update htmain set conname=") % sql::textLiteral(name) %
                      QStringLiteral(" where conid=") % QString::number(record->contractId));
    static_cast<ContractNode*>(node)->record()->contractName = name;
    node->setText(0, name);
    // The contract page shows the selected contract. An edit ended by moving to another
    // node (a click, an arrow key) arrives when that node is selected and its contract
    // shown: the name is not that contract's.
    if (node == selectedNode()) Q_EMIT renamed(name);
}

void ContractTree::TreeView1EndDrag(QTreeWidgetItem* target) {
    ContractNode* source = selectedNode();
    const crconname* onto = ContractNode::recordOf(target);
    if (!source || !onto) return;
    moveBranch(source, onto->contractCode);
}

void ContractTree::MoveContractBranch(const QString& source, const QString& target) {
    ContractNode* node = selectedNode();
    if (!node || node->record()->contractCode != source) node = firstNodeWithCode(source);
    if (node) moveBranch(node, target);
}

void ContractTree::moveBranch(ContractNode* source, const QString& target) {
    // Onto itself or into its own branch: nothing to do.
    if (target.startsWith(source->record()->contractCode)) return;
    if (!IsWholeSegmentCode(target)) {
        refuse(QStringLiteral("目标合同的编号不完整，不能把合同移到它下面"));
        return;
    }
    // The own number under the same parent counts as taken: a drop on the own parent
    // gives the smallest free number there.
    recodeBranch(source, target,
                 QStringLiteral("目标合同的子合同编号已用到9999，无法把合同移到它下面"));
}

void ContractTree::makeIndependent() {
    ContractNode* node = selectedNode();
    if (!node) {
        refuse(QStringLiteral("请选择选择一个合同，然后再设置"));
        return;
    }
    if (node->record()->contractCode.size() == contractcode::kSegmentLength)
        return;  // top level already
    // The smallest free top-level number, unlike 添加合同 which takes the largest plus one.
    recodeBranch(node, QString(), QStringLiteral("顶层合同的编号已用到9999，无法设置为独立合同"));
}

void ContractTree::recodeBranch(ContractNode* source, const QString& targetCode,
                                const QString& whenFull) {
    // Every code of the branch begins with the code of its top, which is replaced by the
    // first free code below the target; the rest of each code stays. Only the nodes of the
    // branch change, so a row that merely shares the top's code is left where it is.
    const std::vector<ContractNode*> branch = branchOf(source);
    const qsizetype oldLength = source->record()->contractCode.size();
    QString newPrefix;
    writeThenChange(
        [&] {
            const std::optional<QString> prefix = FirstFreeChildCodeInFile(query_, targetCode);
            if (!prefix) return whenFull;
            newPrefix = *prefix;
            for (const QString& ids : idLists(branch))
                query_.RunCommand(QStringLiteral("update htmain set concode=") %
                                  sql::textLiteral(newPrefix) % QStringLiteral("||substr(concode,") %
                                  QString::number(oldLength + 1) %
                                  QStringLiteral(") where conid") % ids);
            return QString();
        },
        [&] {
            detachBranch(source);
            for (ContractNode* member : branch) {
                crconname* record = member->record();
                record->contractCode = newPrefix + record->contractCode.mid(oldLength);
            }
            attachBranch(source);
            return newPrefix;
        });
}
