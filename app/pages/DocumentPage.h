#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "DocumentStore.h"

class CommandGuard;
class ContractQuery;
class DocumentConverter;
class QTableWidget;
class QTextEdit;
class ScratchFolder;

// The page "合同文本" (`TabSheet2`): the contract's documents over a read-only preview of
// the selected one. Documents are stored whole in the contract file; a word-processor
// document (.doc) also keeps an RTF copy, made when it is imported, for the preview.
class DocumentPage : public QWidget {
    Q_OBJECT
  public:
    // What the page reads from the rest of the window at the moment it needs it.
    struct WindowLinks {
        // The contract of the selected tree node; none when no node is selected.
        std::function<std::optional<qint64>()> selectedContract;
        // The contract number as the contract page shows it (`Edit1`).
        std::function<QString()> contractNumber;
    };

    DocumentPage(ContractQuery& query, const CommandGuard& guard, const ScratchFolder& scratch,
                 DocumentConverter& converter, WindowLinks links, QWidget* parent = nullptr);

    // Lays out the list and fills it with the contract's documents, the first one
    // current; without a contract only the titles and one empty row. The preview is kept.
    void LoadDocumentList(std::optional<qint64> contractId);
    // This page's part of the contract page reset: the preview is emptied.
    void clearEditors();

    // Previews the current row's document: its RTF copy, when it is a .doc that has one.
    void StringGrid1Click();
    // "增加新文档" (Add) and "导入替换当前文档" (Update): a file the person picks becomes a
    // document of the selected contract, with its RTF copy when it is a .doc.
    void TBItem41Click(ImportMode mode);
    // Writes the imported copy into the contract file (see storeDocumentRow); the row to
    // replace is the current one.
    void StoreDocument(const QString& documentPath, const QString& rtfPath, ImportMode mode,
                       qint64 contractId);
    // "打开当前文档": the current document, taken out into the scratch folder, opened by
    // the application the desktop has for it.
    void TBItem40Click();
    // "删除文档", after the person confirms.
    void TBItem38Click();

    // A role of the server that may only read: the commands that write are disabled.
    void setWritable(bool writable);

  private:
    // The key of the current row's document; none on the empty row.
    std::optional<qint64> currentDocumentId() const;
    QString currentDocumentName() const;
    // Turns the imported copy into RTF and shows it; the RTF path, or empty when no copy
    // was made (the person has been told why).
    QString convertForPreview(const QString& copy);
    void showPreview(const QString& rtfPath);
    QString scratchFolderPath();

    ContractQuery& query_;
    const CommandGuard& guard_;
    const ScratchFolder& scratch_;
    DocumentConverter& converter_;
    WindowLinks links_;

    QTableWidget* grid_ = nullptr;
    QTextEdit* preview_ = nullptr;
};
