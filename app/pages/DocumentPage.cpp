#include "DocumentPage.h"

#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>

#include "CommandGuard.h"
#include "CommandItem.h"
#include "PageWidgets.h"

namespace {

// The contract number, the stored file name, its extension and, hidden, the document's key.
const GridColumns kDocumentColumns = {
    {QStringLiteral("编号"), 76},
    {QStringLiteral("文件名称"), 400},
    {QStringLiteral("类型"), 100},
    {QStringLiteral("序号"), 0},
};

}  // namespace

DocumentPage::DocumentPage(ContractQuery& query, const CommandGuard& guard, QWidget* parent)
    : QWidget(parent), query_(query), guard_(guard) {
    setObjectName(QStringLiteral("TabSheet2"));

    auto* toolbar = createPageToolbar(QStringLiteral("TBToolbar4"), this);
    addCommandItems(toolbar,
                    {
                        {QStringLiteral("TBItem35"), QStringLiteral("增加新文档")},
                        {QStringLiteral("TBItem41"), QStringLiteral("导入替换当前文档")},
                        {QStringLiteral("TBItem40"), QStringLiteral("打开当前文档")},
                        // Offered, but templates are not kept yet.
                        {QStringLiteral("TBItem39"), QStringLiteral("保存入模板")},
                        {QStringLiteral("TBItem38"), QStringLiteral("删除文档")},
                    },
                    this, guard_);

    grid_ = createListGrid(QStringLiteral("StringGrid1"), this);
    resetListGrid(*grid_, kDocumentColumns);

    // Documents are only ever replaced by importing a newer file, never edited here.
    preview_ = new QTextEdit(this);
    preview_->setObjectName(QStringLiteral("RichEdit1"));
    preview_->setReadOnly(true);
    preview_->setAccessibleName(QStringLiteral("文档预览"));

    layOutListPage(*this, toolbar, grid_, preview_);
}

void DocumentPage::LoadDocumentList(std::optional<qint64> contractId) {
    resetListGrid(*grid_, kDocumentColumns);
    if (!contractId) return;
    // The contract's documents are read here once documents are stored.
}

void DocumentPage::clearEditors() { preview_->clear(); }
