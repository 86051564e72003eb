#include "ReportCommands.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextDocument>

#include "AppError.h"
#include "ContractInfoFields.h"
#include "ContractQuery.h"
#include "ContractRegister.h"
#include "Desktop.h"
#include "PrintedPages.h"
#include "SqlLiteral.h"

namespace {

const QString kChooseContract = QStringLiteral("请选择选择一个合同");

QString fieldValue(ContractQuery& query, int column, FieldControl kind) {
    switch (kind) {
        case FieldControl::Amount:
            return sql::formatAmount(query.amountAt(column));
        case FieldControl::Flag:
            return sql::flagIsSet(query.textAt(column)) ? QStringLiteral("是")
                                                        : QStringLiteral("否");
        case FieldControl::Date: {
            // No stored date prints as nothing rather than as the zero date.
            const QString stored = query.textAt(column);
            return stored.isEmpty() ? QString() : sql::dateText(sql::parseStoredDate(stored));
        }
        default:
            return query.textAt(column);
    }
}

void readFields(ContractQuery& query, qint64 contractId, ContractSheet& sheet) {
    query.RunQuery(QStringLiteral("select * from htmain where conid=") +
                   QString::number(contractId));
    if (query.eof()) {
        query.close();
        throw AppError(QStringLiteral("合同不存在，可能已被删除"));
    }
    // The page's lines top to bottom; within a line, in the table's order.
    std::vector<const ContractField*> fields;
    for (const ContractField& f : contractFields()) fields.push_back(&f);
    std::stable_sort(
        fields.begin(), fields.end(),
        [](const ContractField* a, const ContractField* b) { return a->line < b->line; });
    const std::vector<int>& bandEnds = bandEndLines();
    int currentLine = -1;
    for (const ContractField* f : fields) {
        int column = -1;
        try {
            column = query.columnIndex(f->column);
        } catch (const AppError&) {
            // A file from before the column existed prints the field empty.
            if (!f->mayBeMissing) throw;
        }
        const QString value = column < 0 ? QString() : fieldValue(query, column, f->kind);
        if (qstrcmp(f->column, "conname") == 0) sheet.name = value;
        if (qstrcmp(f->column, "showcode") == 0) sheet.number = value;
        if (f->line != currentLine) {
            currentLine = f->line;
            SheetLine line;
            line.endsBand =
                std::find(bandEnds.begin(), bandEnds.end(), currentLine) != bandEnds.end();
            sheet.lines.push_back(line);
        }
        sheet.lines.back().fields.push_back({QString::fromUtf8(f->caption), value, f->quarters});
    }
    query.close();
}

QStringList readNames(ContractQuery& query, const QString& sql) {
    QStringList names;
    for (query.RunQuery(sql); !query.eof(); query.next()) names << query.textAt(0);
    query.close();
    return names;
}

bool requireContract(QWidget* parent, Desktop& desktop, std::optional<qint64> contractId) {
    if (contractId) return true;
    showWarning(desktop, parent, kChooseContract);
    return false;
}

// The name and number of a contract, for headings.
std::pair<QString, QString> contractTitle(ContractQuery& query, qint64 contractId) {
    query.RunQuery(QStringLiteral("select conname,showcode from htmain where conid=") +
                   QString::number(contractId));
    if (query.eof()) {
        query.close();
        throw AppError(QStringLiteral("合同不存在，可能已被删除"));
    }
    std::pair<QString, QString> title{query.textAt(0), query.textAt(1)};
    query.close();
    return title;
}

// Qt's own preview, in Chinese; its print button reaches every printer the desktop
// knows and "print to file" makes a PDF.
void showPreview(QWidget* parent, Desktop& desktop, QTextDocument& document, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    useA4(printer, QPageLayout::Portrait);
    const QDate today = desktop.now().date();
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("printPreview"));
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + title);
    QObject::connect(
        &preview, &QPrintPreviewDialog::paintRequested, &preview,
        [&document, today](QPrinter* target) { printDocument(document, *target, today); });
    preview.exec();
}

// The save dialog, then the overwrite question; an empty text when the person cancels.
QString chooseTarget(QWidget* parent, Desktop& desktop, const QString& caption,
                     const QString& filter, const QStringList& suffixes) {
    QString path = desktop.chooseFileToSave(parent, {caption, filter});
    if (path.isEmpty()) return {};
    if (!suffixes.contains(QFileInfo(path).suffix().toLower()))
        path += QLatin1Char('.') + suffixes.first();
    if (QFileInfo::exists(path) &&
        !askYesNo(desktop, parent, QStringLiteral("文件已经存在，是否覆盖？"),
                  QStringLiteral("确认"), MessageIcon::Question))
        return {};
    return path;
}

void showExportError(QWidget* parent, Desktop& desktop, const AppError& error) {
    desktop.showMessage(
        parent, {error.text(), QStringLiteral("错误"), MessageIcon::Error, MessageButtons::Ok});
}

}  // namespace

ContractSheet readContractSheet(ContractQuery& query, qint64 contractId) {
    ContractSheet sheet;
    readFields(query, contractId, sheet);
    sheet.payments = readLedger(query, contractId, LedgerKind::Payments);
    sheet.claims = readLedger(query, contractId, LedgerKind::Claims);
    const QString id = QString::number(contractId);
    sheet.documents =
        readNames(query, QStringLiteral("select textname from httext where conid=") + id);
    sheet.contractScans =
        readNames(query, QStringLiteral("select htyjname from htyj where conid=") + id);
    sheet.otherScans =
        readNames(query, QStringLiteral("select qtyjname from htqtyj where conid=") + id);
    return sheet;
}

void printContractSheet(QWidget* parent, ContractQuery& query, Desktop& desktop,
                        std::optional<qint64> contractId) {
    if (!requireContract(parent, desktop, contractId)) return;
    const ContractSheet sheet = readContractSheet(query, *contractId);
    auto document = contractSheetDocument(sheet);
    showPreview(parent, desktop, *document, contractHeading(sheet.name, sheet.number));
}

void previewLedger(QWidget* parent, ContractQuery& query, Desktop& desktop,
                   std::optional<qint64> contractId, LedgerKind which) {
    if (!requireContract(parent, desktop, contractId)) return;
    const auto [name, number] = contractTitle(query, *contractId);
    const LedgerTable ledger = readLedger(query, *contractId, which);
    auto document = ledgerDocument(ledger, name, number);
    showPreview(parent, desktop, *document,
                contractHeading(name, number) + QLatin1Char(' ') + ledgerName(which));
}

void exportLedgerToXlsx(QWidget* parent, ContractQuery& query, Desktop& desktop,
                        std::optional<qint64> contractId, LedgerKind which) {
    if (!requireContract(parent, desktop, contractId)) return;
    const QString path =
        chooseTarget(parent, desktop, QStringLiteral("导出Excel"),
                     QStringLiteral("Excel 工作簿(*.xlsx)"), {QStringLiteral("xlsx")});
    if (path.isEmpty()) return;
    const auto [name, number] = contractTitle(query, *contractId);
    const LedgerTable ledger = readLedger(query, *contractId, which);
    try {
        writeLedgerXlsx(ledger,
                        contractHeading(name, number) + QLatin1Char(' ') + ledgerName(which), path);
    } catch (const AppError& error) {
        showExportError(parent, desktop, error);
    }
}

void exportContractRegister(QWidget* parent, ContractQuery& query, Desktop& desktop) {
    const QString path = chooseTarget(parent, desktop, QStringLiteral("导出合同台账"),
                                      QStringLiteral("Excel 工作簿(*.xlsx);;PDF 文件(*.pdf)"),
                                      {QStringLiteral("xlsx"), QStringLiteral("pdf")});
    if (path.isEmpty()) return;

    QProgressDialog progress(QStringLiteral("正在导出合同台账……"), QStringLiteral("取消"), 0, 100,
                             parent);
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowTitle(QStringLiteral("导出合同台账"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    const ExportProgress report = [&progress](qint64 done, qint64 total) {
        progress.setMaximum(int(std::max<qint64>(1, total)));
        progress.setValue(int(std::min(done, total)));
        return !progress.wasCanceled();
    };
    try {
        if (QFileInfo(path).suffix().toLower() == QLatin1String("pdf"))
            exportRegisterPdf(query, path, desktop.now().date(), report);
        else
            exportRegisterXlsx(query, path, report);
    } catch (const AppError& error) {
        progress.close();
        showExportError(parent, desktop, error);
    }
}
