#pragma once

#include <QMainWindow>
#include <memory>

#include "CommandGuard.h"
#include "CommandItem.h"
#include "ContractQuery.h"
#include "ProgramFolders.h"
#include "ScratchFolder.h"

class ContractInfoPage;
class ContractTree;
class Desktop;
class DocumentConverter;
class DocumentPage;
class LedgerPage;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;
class ScanPage;
class ServerListener;
class WelcomePanel;

// The main window: hosts the command table, the contract tree and the six pages, and
// holds the one query object. Handlers keep the names by which the rest of the program
// knows them and hand the work on to the tree and the pages.
class Tmainf : public QMainWindow {
    Q_OBJECT
public:
    // The folders hold the template temp.mdb and the scratch folder; a single folder
    // path holds both.
    Tmainf(Desktop& desktop, const ProgramFolders& folders, QWidget* parent = nullptr);
    ~Tmainf() override;

    ContractQuery& query() { return myquery; }
    ContractTree& tree() { return *tree_; }
    const CommandGuard& guard() const { return guard_; }
    const ScratchFolder& scratchFolder() const { return scratch_; }

    // Contract file lifecycle.
    void TBItem17Click();  // 打开合同文件
    void TBItem25Click();  // 新建合同文件
    void OpenContractFile(const QString& path);
    bool ConnectContractFile(const QString& path);
    void EnableFileCommands();

    // The same contracts on a server (team mode).
    void connectToServerClick();      // 连接服务器…
    void uploadToServerClick();       // 上传到服务器…
    void saveAsContractFileClick();   // 另存为合同文件…

    // Tree commands.
    void TBItem31Click();  // add a contract
    void TBItem26Click();  // add a sub-contract
    void TBItem30Click();  // delete a contract
    void TBItem27Click();  // make independent
    void TBItem51Click();  // expand all
    void TBItem50Click();  // collapse all
    void TreeView1Change();
    void EnableContractPages();

    // Contract record.
    void TBItem24Click();  // save the contract page
    void TBItem21Click();  // option dialog
    void FillCategoryLists(const QString& scope);
    void ClearContractPage();

    // Page loaders.
    void LoadDocumentList();
    void LoadPaymentList();
    void LoadClaimList();
    void LoadContractScanList();
    void LoadOtherScanList();

    // The rest of the command table.
    void TBItem14Click();  // supplier directory
    void TBItem15Click();  // about box
    void TBItem18Click();  // close the window
    void TBItem19Click();  // print the current contract's sheet
    void exportContractRegister();  // 导出合同台账
    void TBItem20Click();  // statistics (unfinished)
    void TBItem22Click();  // templates (unfinished)
    void TBItem23Click();  // query (unfinished)

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The command table (TmainfCommandTable.cpp).
    void buildMenus();
    void buildMainToolbar();
    CommandTable treeToolbarItems();
    CommandTable treePopupItems();
    QWidget* buildTreePanel();
    QWidget* buildPagePanel();
    void FormShow();
    void showOpenContracts();
    void showWhereDataLives();
    void listenToServer(const QString& connectionString);
    void followServerChanges();
    void showUnfinished();
    std::optional<qint64> currentContractId() const;

    Desktop& desktop_;
    QString programFolder_;
    QString templatePath_;  // temp.mdb, from which new contract files are made
    ContractQuery myquery;
    CommandGuard guard_;
    ScratchFolder scratch_;
    std::unique_ptr<DocumentConverter> converter_;

    ContractTree* tree_ = nullptr;
    QMenu* treePopup_ = nullptr;
    QTabWidget* pages_ = nullptr;
    WelcomePanel* welcome_ = nullptr;
    QLabel* hintPanel_ = nullptr;
    QLabel* accessNote_ = nullptr;
    bool canWrite_ = true;  // false for a role of the server that may only read
    ContractInfoPage* infoPage_ = nullptr;
    DocumentPage* documentPage_ = nullptr;
    LedgerPage* paymentPage_ = nullptr;
    LedgerPage* claimPage_ = nullptr;
    ScanPage* contractScanPage_ = nullptr;
    ScanPage* otherScanPage_ = nullptr;
    bool shown_ = false;
    // Tells of other clerks' changes to the contracts on the server; none on a file.
    ServerListener* listener_ = nullptr;
    QTimer* followLater_ = nullptr;  // a change heard while a command waits for an answer
};
