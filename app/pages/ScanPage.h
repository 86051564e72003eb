#pragma once

#include <QWidget>
#include <optional>

#include "ScanSpec.h"

class CommandGuard;
class ContractQuery;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class QTableWidget;

// The pages "合同原件" and "其他原件": a contract's scanned pictures, one shown large, the
// list of them beside it and the name and description of the shown one below. One class,
// configured by a table of names (ScanSpec).
class ScanPage : public QWidget {
    Q_OBJECT
  public:
    ScanPage(const ScanSpec& spec, ContractQuery& query, const CommandGuard& guard,
             QWidget* parent = nullptr);

    // Lays out the list and fills it with the contract's pictures; without a contract
    // only the titles and one empty row.
    void loadList(std::optional<qint64> contractId);
    // This page's part of the contract page reset: name and description emptied.
    void clearEditors();

  private:
    QWidget* buildPictureArea();
    QWidget* buildListArea();
    QWidget* buildDetailsArea();

    const ScanSpec& spec_;
    ContractQuery& query_;
    const CommandGuard& guard_;

    QScrollArea* scrollBox_ = nullptr;
    QLabel* view_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
};
