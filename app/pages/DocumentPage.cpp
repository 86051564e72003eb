#include "DocumentPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QUrl>
#include <vector>

#include "AppError.h"
#include "BlobTransfer.h"
#include "BusyWait.h"
#include "CommandGuard.h"
#include "CommandItem.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "DocumentConverter.h"
#include "PageWidgets.h"
#include "RtfReader.h"
#include "ScratchFolder.h"
#include "ScratchFolderCheck.h"

namespace {

// The contract number, the stored file name, its extension and, hidden, the document's key.
const GridColumns kDocumentColumns = {
    {QStringLiteral("编号"), 76},
    {QStringLiteral("文件名称"), 400},
    {QStringLiteral("类型"), 100},
    {QStringLiteral("序号"), 0},
};
constexpr int kNameColumn = 1;
constexpr int kKeyColumn = 3;

const QString kTable = QStringLiteral("httext");
const QString kKey = QStringLiteral("id");

// Only word-processor documents get an RTF copy, and so a preview.
bool isWordDocument(const QString& name) {
    return name.endsWith(QLatin1String(".doc"), Qt::CaseInsensitive);
}

// The RTF copy's file name: the document's name with ".rtf" in place of ".doc".
QString rtfNameFor(const QString& wordDocumentName) {
    return wordDocumentName.chopped(4) + QStringLiteral(".rtf");
}

// The extension with its dot, letter case as stored; empty when the name has none.
QString extensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

bool isSameFile(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

}  // namespace

DocumentPage::DocumentPage(ContractQuery& query, const CommandGuard& guard,
                           const ScratchFolder& scratch, DocumentConverter& converter,
                           WindowLinks links, QWidget* parent)
    : QWidget(parent),
      query_(query),
      guard_(guard),
      scratch_(scratch),
      converter_(converter),
      links_(std::move(links)) {
    setObjectName(QStringLiteral("TabSheet2"));

    const auto command = [](const char* name, const QString& caption, std::function<void()> run) {
        CommandItem item{QString::fromLatin1(name), caption};
        item.run = std::move(run);
        return item;
    };
    auto* toolbar = createPageToolbar(QStringLiteral("TBToolbar4"), this);
    addCommandItems(
        toolbar,
        {
            command("TBItem35", QStringLiteral("增加新文档"),
                    [this] { TBItem41Click(ImportMode::Add); }),
            command("TBItem41", QStringLiteral("导入替换当前文档"),
                    [this] { TBItem41Click(ImportMode::Update); }),
            command("TBItem40", QStringLiteral("打开当前文档"), [this] { TBItem40Click(); }),
            // Offered, but templates are not kept yet.
            command("TBItem39", QStringLiteral("保存入模板"), {}),
            command("TBItem38", QStringLiteral("删除文档"), [this] { TBItem38Click(); }),
        },
        this, guard_);

    grid_ = createListGrid(QStringLiteral("StringGrid1"), this);
    resetListGrid(*grid_, kDocumentColumns);
    // Moving to another row previews it; the current row again, or a reload, does not.
    connect(grid_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (row >= 0 && row != previousRow) guard_.run([this] { StringGrid1Click(); });
            });

    // Documents are only ever replaced by importing a newer file, never edited here.
    preview_ = new QTextEdit(this);
    preview_->setObjectName(QStringLiteral("RichEdit1"));
    preview_->setReadOnly(true);
    preview_->setAccessibleName(QStringLiteral("文档预览"));
    preview_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    preview_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    layOutListPage(*this, toolbar, grid_, preview_);
}

void DocumentPage::LoadDocumentList(std::optional<qint64> contractId) {
    resetListGrid(*grid_, kDocumentColumns);
    if (!contractId) return;

    struct Row {
        qint64 id;
        QString name;
    };
    std::vector<Row> rows;
    // Names only: the documents themselves stay in the file until one is asked for.
    query_.RunQuery(QStringLiteral("select id,textname from httext where conid=") +
                    QString::number(*contractId));
    for (; !query_.eof(); query_.next())
        rows.push_back({query_.integer("id"), query_.text("textname")});
    query_.close();
    if (rows.empty()) return;

    const QString number = links_.contractNumber ? links_.contractNumber() : QString();
    const QSignalBlocker quiet(grid_);
    grid_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList cells{number, rows[r].name, extensionOf(rows[r].name),
                                QString::number(rows[r].id)};
        for (int c = 0; c < cells.size(); ++c) grid_->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    grid_->setCurrentCell(0, 0);
}

void DocumentPage::clearEditors() { preview_->clear(); }

std::optional<qint64> DocumentPage::currentDocumentId() const {
    bool ok = false;
    const qint64 id = cellText(*grid_, grid_->currentRow(), kKeyColumn).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

QString DocumentPage::currentDocumentName() const {
    return cellText(*grid_, grid_->currentRow(), kNameColumn);
}

QString DocumentPage::scratchFolderPath() {
    return ensureScratchFolder(scratch_, guard_.desktop(), this);
}

void DocumentPage::showPreview(const QString& rtfPath) {
    QFile rtf(rtfPath);
    if (!rtf.open(QIODevice::ReadOnly)) return;
    readRtf(rtf.readAll(), *preview_->document());
}

void DocumentPage::StringGrid1Click() {
    preview_->clear();
    const QString name = currentDocumentName();
    const std::optional<qint64> id = currentDocumentId();
    if (!isWordDocument(name) || !id) return;
    scratchFolderPath();
    const QString path = scratch_.prepareFile(rtfNameFor(name));
    ExtractBlobToFile(query_, kTable, kKey, *id, QStringLiteral("rtffile"), path);
    showPreview(path);
}

void DocumentPage::setWritable(bool writable) {
    for (const char* name : {"TBItem35", "TBItem41", "TBItem38"})
        for (QAction* action : findChildren<QAction*>(QString::fromLatin1(name)))
            action->setEnabled(writable);
}

void DocumentPage::TBItem41Click(ImportMode mode) {
    Desktop& desktop = guard_.desktop();
    const QString chosen =
        desktop.chooseFileToOpen(this, {QStringLiteral("打开"), QStringLiteral("所有文件(*)")});
    if (chosen.isEmpty()) return;
    preview_->clear();
    const std::optional<qint64> contractId =
        links_.selectedContract ? links_.selectedContract() : std::nullopt;
    if (!contractId) return;

    // The document is stored from a copy in the scratch folder, so that nothing done on
    // the way (the conversion included) can touch the person's own file.
    const QString folder = scratchFolderPath();
    const QString name = ScratchFolder::bareFileName(QFileInfo(chosen).fileName());
    QString copy = QDir(folder).filePath(name);
    // A file picked from the scratch folder itself is its own copy: clearing the way for
    // the copy would delete it.
    if (!isSameFile(chosen, copy)) {
        copy = scratch_.prepareFile(name);
        if (!QFileInfo(chosen).isFile() || !QFile::copy(chosen, copy)) {
            desktop.showMessage(this, {QStringLiteral("拷贝文件出错"), QStringLiteral("错误"),
                                       MessageIcon::Error, MessageButtons::Ok});
            return;
        }
    }

    const QString rtf = isWordDocument(copy) ? convertForPreview(copy) : QString();
    StoreDocument(copy, rtf, mode, *contractId);
    LoadDocumentList(*contractId);
}

QString DocumentPage::convertForPreview(const QString& copy) {
    const QString rtfPath = scratch_.prepareFile(rtfNameFor(QFileInfo(copy).fileName()));
    ConversionResult result;
    {
        const BusyWait busy;
        result = converter_.convertToRtf(copy, rtfPath);
    }
    switch (result.status) {
        case ConversionResult::Converted:
            if (!QFileInfo::exists(rtfPath)) return {};
            showPreview(rtfPath);
            return rtfPath;
        case ConversionResult::Missing:
            guard_.desktop().showMessage(
                this, {QStringLiteral("您的机器上没有安装word"), QStringLiteral("Error"),
                       MessageIcon::Error, MessageButtons::Ok});
            return {};
        case ConversionResult::Failed:
            showTopLevelError(guard_.desktop(), this,
                              std::make_exception_ptr(
                                  AppError(QStringLiteral("无法生成文档的预览"), result.detail)));
            return {};
    }
    return {};
}

void DocumentPage::StoreDocument(const QString& documentPath, const QString& rtfPath,
                                 ImportMode mode, qint64 contractId) {
    storeDocumentRow(query_, contractId, currentDocumentId().value_or(0), mode, documentPath,
                     rtfPath);
}

void DocumentPage::TBItem40Click() {
    const QString name = currentDocumentName();
    const std::optional<qint64> id = currentDocumentId();
    if (!id) throw AppError(QStringLiteral("当前没有可以打开的文档"));
    scratchFolderPath();
    const QString path = scratch_.prepareFile(name);
    ExtractBlobToFile(query_, kTable, kKey, *id, QStringLiteral("docfile"), path);
    // Without an application for the file type nothing opens, as the desktop decides.
    guard_.desktop().shellOpen(QUrl::fromLocalFile(path));
}

void DocumentPage::TBItem38Click() {
    if (!askYesNo(guard_.desktop(), this, QStringLiteral("确定要删除当前合同文档吗？"),
                  QStringLiteral("确认"), MessageIcon::Question))
        return;
    const int row = grid_->currentRow();
    const std::optional<qint64> id = currentDocumentId();
    if (!id) return;
    // A failing delete is reported by the guard; the list then still shows the document.
    query_.RunCommand(QStringLiteral("delete from httext where id=") + QString::number(*id));
    LoadDocumentList(links_.selectedContract ? links_.selectedContract() : std::nullopt);
    // From the third row on, the row above the deleted one becomes current and shows.
    if (row >= 2) grid_->setCurrentCell(row - 1, grid_->currentColumn());
}
