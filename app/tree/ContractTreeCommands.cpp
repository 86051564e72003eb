// The commands that change the hierarchy: add, add below, delete, rename, move and make
// independent. Each writes the file, then rebuilds the tree from it.
#include <QStringBuilder>
#include <algorithm>

#include "ContractCode.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "ContractTreeView.h"
#include "Desktop.h"
#include "SqlLiteral.h"
#include "Transaction.h"

namespace {

const QString kTitle = QStringLiteral("提示");
const QString kTrue = QStringLiteral("true");
const QString kFalse = QStringLiteral("false");

// A node and everything below it, parents before children.
std::vector<ContractNode*> branchOf(ContractNode* top) {
    std::vector<ContractNode*> branch;
    std::vector<QTreeWidgetItem*> pending{top};
    while (!pending.empty()) {
        QTreeWidgetItem* item = pending.back();
        pending.pop_back();
        branch.push_back(static_cast<ContractNode*>(item));
        for (int i = item->childCount() - 1; i >= 0; --i) pending.push_back(item->child(i));
    }
    return branch;
}

}  // namespace

QWidget* ContractTree::messageParent() const {
    return guard_.parent() ? guard_.parent() : view_.data();
}

void ContractTree::refuse(const QString& text) {
    showWarning(desktop_, messageParent(), text, kTitle);
}

QStringList ContractTree::codesInUse() const {
    QStringList codes;
    codes.reserve(qsizetype(nodes_.size()));
    for (const auto& record : nodes_) codes.append(record->contractCode);
    return codes;
}

void ContractTree::insertContract(qint64 id, const QString& code) {
    const QString today = sql::dateLiteral(desktop_.now().date());
    QStringList dates;
    for (int i = 0; i < 7; ++i) dates << today;
    query_.RunCommand(
        QStringLiteral("insert into htmain "
                       "(conid,concode,conname,kgrq,jgrq,cprq,qdrq,yfkrq,jsrq,gdrq) values (") %
        QString::number(id) % QLatin1Char(',') % sql::textLiteral(code) %
        QStringLiteral(",'新合同',") % dates.join(QLatin1Char(',')) % QLatin1Char(')'));
}

void ContractTree::writeAndRebuild(const std::function<void()>& statements,
                                   const QString& expandCode) {
    try {
        Transaction transaction(query_);
        statements();
        transaction.commit();
    } catch (...) {
        // Rolled back by now. The tree is rebuilt from the file before the error is
        // shown, so that it holds the codes the file holds; should the rebuild fail as
        // well, the first error is the one that explains what happened.
        const std::exception_ptr error = std::current_exception();
        try {
            LoadContractTree();
        } catch (...) {
        }
        std::rethrow_exception(error);
    }
    LoadContractTree();
    ExpandToCode(expandCode);
}

void ContractTree::addContract() {
    // The file, not the tree, says which ids and numbers are taken.
    qint64 largestId = 0;
    QStringList codes;
    query_.RunQuery(QStringLiteral("select conid,concode from htmain"));
    if (!query_.eof()) {
        const int idColumn = query_.columnIndex("conid");
        const int codeColumn = query_.columnIndex("concode");
        for (; !query_.eof(); query_.next()) {
            largestId = std::max(largestId, query_.integerAt(idColumn));
            codes.append(query_.textAt(codeColumn));
        }
    }
    query_.close();
    // Numbers freed by deletions are not handed out again.
    const int largest = LargestTopLevelNumber(codes);
    if (largest >= contractcode::kLargestSibling) {
        refuse(QStringLiteral("顶层合同的编号已用到9999，无法再添加合同"));
        return;
    }
    insertContract(largestId + 1, FormatCodeSegment(largest + 1));
    LoadContractTree();
}

void ContractTree::addSubContract() {
    qint64 largestId = 0;
    for (const auto& record : nodes_) largestId = std::max<qint64>(largestId, record->contractId);
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
    const std::optional<QString> code = FirstFreeChildCode(parentCode, codesInUse());
    if (!code) {
        refuse(QStringLiteral("所选合同的子合同编号已用到9999，无法再添加子合同"));
        return;
    }
    insertContract(largestId + 1, *code);
    LoadContractTree();
    ExpandToCode(*code);
}

void ContractTree::DeleteContractRows(qint64 id) {
    static const char* const statements[] = {
        "delete from htmain where conid=", "delete from htfk where conid=",
        "delete from htqtyj where conid=", "delete from htsp where conid=",
        "delete from httext where conid=", "delete from htyj where conid=",
    };
    for (const char* statement : statements)
        query_.RunCommand(QLatin1String(statement) % QString::number(id));
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
    std::vector<qint64> ids;
    for (const ContractNode* member : branchOf(node)) ids.push_back(member->record()->contractId);
    const crconname* parent = ContractNode::recordOf(node->parent());
    const QString parentCode = parent ? parent->contractCode : QString();
    writeAndRebuild(
        [&] {
            for (const qint64 id : ids) DeleteContractRows(id);
        },
        parentCode);
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
    const std::optional<QString> prefix = FirstFreeChildCode(target, codesInUse());
    if (!prefix) {
        refuse(QStringLiteral("目标合同的子合同编号已用到9999，无法把合同移到它下面"));
        return;
    }
    recodeBranch(source, *prefix);
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
    const std::optional<QString> prefix = FirstFreeChildCode(QString(), codesInUse());
    if (!prefix) {
        refuse(QStringLiteral("顶层合同的编号已用到9999，无法设置为独立合同"));
        return;
    }
    recodeBranch(node, *prefix);
}

void ContractTree::recodeBranch(ContractNode* source, const QString& newPrefix) {
    // Every code of the branch begins with the code of its top, which is replaced by the
    // new prefix; the rest of each code stays. Only the nodes of the branch are marked,
    // so a row that merely shares the top's code is left where it is.
    const qsizetype oldLength = source->record()->contractCode.size();
    for (const auto& record : nodes_) record->recodeMark = kFalse;
    for (ContractNode* member : branchOf(source)) {
        crconname* record = member->record();
        record->contractCode = newPrefix + record->contractCode.mid(oldLength);
        record->recodeMark = kTrue;
    }
    writeAndRebuild(
        [&] {
            for (const auto& record : nodes_) {
                if (record->recodeMark != kTrue) continue;
                query_.RunCommand(QStringLiteral("update htmain set concode=") %
                                  sql::textLiteral(record->contractCode) %
                                  QStringLiteral(" where conid=") %
                                  QString::number(record->contractId));
            }
        },
        newPrefix);
}
