#pragma once

#include <QWidget>
#include <optional>

class CommandGuard;
class ContractQuery;
class QTableWidget;
class QTextEdit;

// The page "合同文本" (`TabSheet2`): the contract's documents over a read-only preview of
// the selected one.
class DocumentPage : public QWidget {
    Q_OBJECT
  public:
    DocumentPage(ContractQuery& query, const CommandGuard& guard, QWidget* parent = nullptr);

    // Lays out the list and fills it with the contract's documents; without a contract
    // only the titles and one empty row.
    void LoadDocumentList(std::optional<qint64> contractId);
    // This page's part of the contract page reset: the preview is emptied.
    void clearEditors();

  private:
    ContractQuery& query_;
    const CommandGuard& guard_;

    QTableWidget* grid_ = nullptr;
    QTextEdit* preview_ = nullptr;
};
