#pragma once

#include <QWidget>
#include <optional>

class ContractQuery;
class CommandGuard;

// The page "合同文本" (`TabSheet2`): the contract's documents over their preview.
class DocumentPage : public QWidget {
    Q_OBJECT
public:
    DocumentPage(ContractQuery& query, const CommandGuard& guard, QWidget* parent = nullptr);

    // Reloads the list for the contract, or only lays out the empty grid without one.
    void LoadDocumentList(std::optional<qint64> contractId);
    // This page's part of ClearContractPage.
    void clearEditors();
};
