#include "Tmainf.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "AppError.h"
#include "BusyWait.h"
#include "CommandItem.h"
#include "ContractFileLock.h"
#include "ContractFileNaming.h"
#include "Desktop.h"
#include "LegacyImport.h"
#include "NewFilePlacement.h"
#include "LibreOfficeConverter.h"
#include "ReportCommands.h"
#include "ServerCommands.h"
#include "ServerConnection.h"
#include "ServerListener.h"
#include "ServerSessionInfo.h"
#include "Taboutf.h"
#include "Tghdwform.h"
#include "Tinfoset.h"
#include "WelcomePanel.h"
#include "pages/ContractInfoPage.h"
#include "pages/DocumentPage.h"
#include "pages/LedgerPage.h"
#include "pages/ScanPage.h"
#include "tree/ContractTree.h"

namespace {

const QString kContractFileFilter = QStringLiteral("合同管理文件(*.pzq)");
const QString kWindowTitle = QStringLiteral("Vemora合同管理软件");

// The commands that change contracts; a role of the server that may only read gets them disabled.
const char* const kWritingCommands[] = {"TBItem31", "TBItem26", "TBItem30", "TBItem27", "TBItem24",
                                        "TBItem21", "TBItem11", "TBItem5",  "TBItem4",  "TBItem3",
                                        "TBItem2",  "TBItem32", "TBItem33", "TBItem34", "TBItem28"};

}  // namespace

Tmainf::Tmainf(Desktop& desktop, const ProgramFolders& folders, QWidget* parent)
    : QMainWindow(parent),
      desktop_(desktop),
      programFolder_(folders.templateFolder),
      templatePath_(folders.templatePath()),
      guard_(desktop, this),
      scratch_(folders.scratchBase),
      converter_(std::make_unique<LibreOfficeConverter>()) {
    setObjectName(QStringLiteral("mainf"));
    setWindowTitle(kWindowTitle);

    tree_ = new ContractTree(myquery, desktop_, guard_, this);
    buildMenus();
    buildMainToolbar();

    auto* working = new QWidget(this);
    working->setObjectName(QStringLiteral("Panel1"));
    auto* workingLayout = new QVBoxLayout(working);
    workingLayout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, working);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildTreePanel());
    splitter->addWidget(buildPagePanel());
    splitter->setStretchFactor(1, 1);
    // The tree panel is 185 pixels wide, or as wide as its toolbar needs to show every item.
    const int treeWidth = std::max(185, splitter->widget(0)->sizeHint().width());
    splitter->setSizes({treeWidth, 800});
    workingLayout->addWidget(splitter);
    setCentralWidget(working);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    hintPanel_ = new QLabel(status);
    hintPanel_->setFixedWidth(300);
    auto* secondPanel = new QLabel(status);
    secondPanel->setFixedWidth(50);
    status->addWidget(hintPanel_);
    status->addWidget(secondPanel);
    accessNote_ = new QLabel(status);
    accessNote_->setObjectName(QStringLiteral("accessNote"));
    status->addPermanentWidget(accessNote_);
    setStatusBar(status);

    connect(tree_, &ContractTree::selectionChanged, this,
            guard_.wrap([this] { TreeView1Change(); }));
    connect(tree_, &ContractTree::clicked, this, guard_.wrap([this] { EnableContractPages(); }));
    connect(tree_, &ContractTree::renamed, this,
            [this](const QString& name) { infoPage_->setContractName(name); });
}

Tmainf::~Tmainf() = default;

QWidget* Tmainf::buildTreePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel2"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QToolBar(panel);
    bar->setObjectName(QStringLiteral("TBToolbar3"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    addCommandItems(bar, treeToolbarItems(), this, guard_);
    layout->addWidget(bar);

    QTreeWidget* view = tree_->view();
    view->setParent(panel);
    layout->addWidget(view, 1);

    treePopup_ = new QMenu(view);
    treePopup_->setObjectName(QStringLiteral("TBPopupMenu1"));
    addCommandItems(treePopup_, treePopupItems(), this, guard_);
    // The view asks for its menu (custom context-menu policy); the menu is the window's.
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        treePopup_->popup(view->viewport()->mapToGlobal(at));
    });
    return panel;
}

QWidget* Tmainf::buildPagePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel3"));
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);

    pages_ = new QTabWidget(panel);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    infoPage_ = new ContractInfoPage(myquery, desktop_, pages_);
    const auto selectedContract = [this] { return currentContractId(); };
    documentPage_ = new DocumentPage(
        myquery, guard_, scratch_, *converter_,
        {selectedContract, [this] { return infoPage_->contractNumber(); }}, pages_);
    paymentPage_ = new LedgerPage(paymentLedger(), myquery, guard_, selectedContract, pages_);
    claimPage_ = new LedgerPage(claimLedger(), myquery, guard_, selectedContract, pages_);
    contractScanPage_ = new ScanPage(contractScans(), myquery, guard_, scratch_, pages_);
    otherScanPage_ = new ScanPage(otherScans(), myquery, guard_, scratch_, pages_);
    pages_->addTab(infoPage_, QStringLiteral("合同信息"));
    pages_->addTab(documentPage_, QStringLiteral("合同文本"));
    pages_->addTab(paymentPage_, QStringLiteral("付款与报告"));
    pages_->addTab(claimPage_, QStringLiteral("索赔与报告"));
    pages_->addTab(contractScanPage_, QStringLiteral("合同原件"));
    pages_->addTab(otherScanPage_, QStringLiteral("其他原件"));
    layout->addWidget(pages_, 0, 0);

    // The welcome panel lies over the pages, in the same cell, until a file is open.
    welcome_ = new WelcomePanel(desktop_, panel);
    layout->addWidget(welcome_, 0, 0);
    return panel;
}

// ---------------------------------------------------------------- window events

void Tmainf::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    guard_.run([this] { FormShow(); });
}

void Tmainf::FormShow() {
    pages_->setCurrentIndex(0);
    welcome_->raise();
    // Clearing the page also empties every memo and the preview.
    ClearContractPage();
    LoadDocumentList();
    LoadPaymentList();
    LoadClaimList();
    LoadContractScanList();
    LoadOtherScanList();
}

bool Tmainf::event(QEvent* event) {
    // The hint of the command under the pointer goes to the first panel of the status bar.
    if (event->type() == QEvent::StatusTip) {
        hintPanel_->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// ---------------------------------------------------------------- contract file lifecycle

void Tmainf::TBItem17Click() {
    const QString chosen =
        desktop_.chooseFileToOpen(this, {QStringLiteral("打开合同文件"), kContractFileFilter});
    if (chosen.isEmpty()) return;
    // A file of the earlier Windows program is converted into a new one, which is opened.
    const QString path = contractFileToOpen(desktop_, this, chosen, programFolder_);
    if (path.isEmpty()) return;
    OpenContractFile(path);
}

void Tmainf::TBItem25Click() {
    const QString chosen =
        desktop_.chooseFileToSave(this, {QStringLiteral("新建合同文件"), kContractFileFilter});
    if (chosen.isEmpty()) return;
    const QString& templatePath = templatePath_;
    const QString target = newContractFilePath(chosen);

    const bool replacing = QFileInfo::exists(target);
    if (replacing && !askYesNo(desktop_, this, QStringLiteral("文件已经存在，是否覆盖？"),
                               QStringLiteral("确认"), MessageIcon::Question))
        return;
    // The template is copied beside the target first, so that a missing template never
    // costs the user the file they agreed to replace.
    const QString fresh = copyTemplateBeside(templatePath, target);
    if (fresh.isEmpty()) {
        desktop_.showMessage(this, {QStringLiteral("新建文件错误"), QStringLiteral("提示"),
                                    MessageIcon::Question, MessageButtons::Ok});
        return;
    }
    std::shared_ptr<ContractFileLock> claim;
    if (!placeNewContractFile(desktop_, this, fresh, target, &claim)) return;
    OpenContractFile(target);
}

void Tmainf::OpenContractFile(const QString& path) {
    ConnectContractFile(path);
    showOpenContracts();
}

void Tmainf::showOpenContracts() {
    showWhereDataLives();
    FillCategoryLists(QStringLiteral("all"));
    tree_->LoadContractTree();
    LoadDocumentList();
    EnableFileCommands();
    EnableContractPages();
}

bool Tmainf::ConnectContractFile(const QString& path) {
    try {
        myquery.setContractFile(path);
        delete listener_;
        listener_ = nullptr;
        return true;
    } catch (const ContractFileInUse& inUse) {
        // The open file stays the open one, and nothing of the window is refreshed.
        desktop_.showMessage(
            this, {inUse.text(), QStringLiteral("警告"), MessageIcon::Warning, MessageButtons::Ok});
        throw CommandStopped();
    } catch (const AppError&) {
        desktop_.showMessage(
            this, {QStringLiteral("资源数据库读取错误，查看是否存在") + path + QStringLiteral("?"),
                   QStringLiteral("警告"), MessageIcon::Warning, MessageButtons::Ok});
        return false;
    }
}

void Tmainf::EnableFileCommands() {
    static const char* const names[] = {
        "TBItem31", "TBItem26", "TBItem30", "TBItem27",       "TBItem29",      "TBItem24",
        "TBItem23", "TBItem21", "TBItem55", "TBItem20",       "TBItem19",      "TBItem5",
        "TBItem4",  "TBItem3",  "TBItem2",  "TBSubmenuItem4", "TBSubmenuItem3",
        "exportRegisterItem"};
    for (const char* name : names)
        for (QAction* action : findChildren<QAction*>(QString::fromLatin1(name)))
            action->setEnabled(true);
    for (const char* name : kWritingCommands)
        for (QAction* action : findChildren<QAction*>(QString::fromLatin1(name)))
            action->setEnabled(canWrite_);
    welcome_->hide();
}

// ---------------------------------------------------------------- team mode

void Tmainf::connectToServerClick() {
    const QString connectionString = desktop_.chooseServer(this, QStringLiteral("连接服务器"));
    if (connectionString.isEmpty()) return;
    try {
        BusyWait wait;
        myquery.connectToServer(connectionString);
    } catch (const AppError& error) {
        // What was open stays open, and nothing of the window is refreshed.
        showWarning(desktop_, this, error.text(), QStringLiteral("警告"));
        return;
    }
    listenToServer(connectionString);
    showOpenContracts();
}

void Tmainf::listenToServer(const QString& connectionString) {
    delete listener_;
    listener_ = nullptr;
    try {
        listener_ = new ServerListener(
            connectionString, [this] { return myquery.server().backendPid(); }, this);
    } catch (const AppError&) {
        // The contracts are open all the same; only other clerks' changes show late, at
        // the next load of the tree.
        statusBar()->showMessage(QStringLiteral("无法接收其他用户的修改，树形目录不会自动更新"));
        return;
    }
    connect(listener_, &ServerListener::contractsChanged, this, &Tmainf::followServerChanges);
}

void Tmainf::followServerChanges() {
    // A command waiting for an answer (a message box, a dialog, a drag) holds on to the
    // tree as it was; the change is followed once it is over.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
        tree_->isDragging()) {
        if (!followLater_) {
            followLater_ = new QTimer(this);
            followLater_->setSingleShot(true);
            followLater_->setInterval(200);
            connect(followLater_, &QTimer::timeout, this, &Tmainf::followServerChanges);
        }
        followLater_->start();
        return;
    }
    guard_.run([this] { tree_->followFile(); });
}

void Tmainf::uploadToServerClick() { uploadToServer(this, myquery, desktop_); }

void Tmainf::saveAsContractFileClick() {
    saveServerAsContractFile(this, myquery, desktop_,
                             templatePath_);
}

// The caption names a database on a server; a read-only role is told in the status bar.
void Tmainf::showWhereDataLives() {
    const bool onServer = myquery.isOnServer();
    canWrite_ = !onServer || serverAllowsWriting(myquery.server());
    setWindowTitle(onServer ? kWindowTitle + QStringLiteral(" - ") + serverPlaceName(myquery.server())
                            : kWindowTitle);
    accessNote_->setText(canWrite_ ? QString() : QStringLiteral("只读连接：不能修改数据"));
    tree_->setWritable(canWrite_);
    for (LedgerPage* page : {paymentPage_, claimPage_}) page->setWritable(canWrite_);
    documentPage_->setWritable(canWrite_);
    for (ScanPage* page : {contractScanPage_, otherScanPage_}) page->setWritable(canWrite_);
    findChild<QAction*>(QStringLiteral("uploadToServerItem"))->setEnabled(!onServer);
    findChild<QAction*>(QStringLiteral("saveAsContractFileItem"))->setEnabled(onServer);
}

// ---------------------------------------------------------------- tree and selection

void Tmainf::TBItem31Click() { tree_->addContract(); }
void Tmainf::TBItem26Click() { tree_->addSubContract(); }
void Tmainf::TBItem30Click() { tree_->deleteContract(); }
void Tmainf::TBItem27Click() { tree_->makeIndependent(); }
void Tmainf::TBItem51Click() { tree_->expandAll(); }
void Tmainf::TBItem50Click() { tree_->collapseAll(); }

std::optional<qint64> Tmainf::currentContractId() const {
    if (const crconname* record = tree_->selectedRecord()) return record->contractId;
    return std::nullopt;
}

void Tmainf::TreeView1Change() {
    tree_->UpdateNodeImages();
    const crconname* record = tree_->selectedRecord();
    if (!record) return;
    infoPage_->LoadContractRecord(record->contractId);
    LoadDocumentList();
    LoadPaymentList();
    LoadClaimList();
    // A record being added or edited belongs to the contract selected before.
    paymentPage_->abandonPendingRecord();
    claimPage_->abandonPendingRecord();
    LoadContractScanList();
    LoadOtherScanList();
}

void Tmainf::EnableContractPages() {
    const crconname* record = tree_->selectedRecord();
    const bool enabled = record && record->contractId != 0;
    for (int i = 0; i < pages_->count(); ++i) pages_->widget(i)->setEnabled(enabled);
}

// ---------------------------------------------------------------- contract record

void Tmainf::TBItem24Click() {
    const crconname* record = tree_->selectedRecord();
    if (!record) {
        showWarning(desktop_, this, QStringLiteral("请选择选择一个合同"));
        return;
    }
    if (!infoPage_->saveContractRecord(record->contractId)) return;
    tree_->setSelectedName(infoPage_->contractName());
}

void Tmainf::TBItem21Click() {
    Tinfoset dialog(
        myquery, guard_, [this](const QString& scope) { FillCategoryLists(scope); }, this);
    dialog.exec();
}

void Tmainf::FillCategoryLists(const QString& scope) { infoPage_->FillCategoryLists(scope); }

void Tmainf::ClearContractPage() {
    infoPage_->ClearContractPage(desktop_.now());
    documentPage_->clearEditors();
    paymentPage_->clearEditors();
    claimPage_->clearEditors();
    contractScanPage_->clearEditors();
    otherScanPage_->clearEditors();
}

// ---------------------------------------------------------------- page loaders

void Tmainf::LoadDocumentList() { documentPage_->LoadDocumentList(currentContractId()); }
void Tmainf::LoadPaymentList() { paymentPage_->loadList(currentContractId()); }
void Tmainf::LoadClaimList() { claimPage_->loadList(currentContractId()); }
void Tmainf::LoadContractScanList() { contractScanPage_->loadList(currentContractId()); }
void Tmainf::LoadOtherScanList() { otherScanPage_->loadList(currentContractId()); }

// ---------------------------------------------------------------- the rest

void Tmainf::showUnfinished() { showWarning(desktop_, this, QStringLiteral("此功能尚未完成")); }

// The contract page offers the units' names, so its list follows what the dialog changed.
void Tmainf::TBItem14Click() {
    {
        Tghdwform dialog(myquery, guard_, this, !canWrite_);
        dialog.exec();
    }
    FillCategoryLists(QStringLiteral("ghdw"));
}

void Tmainf::TBItem15Click() {
    Taboutf about(this);
    about.exec();
}

void Tmainf::TBItem18Click() { close(); }
void Tmainf::TBItem19Click() { printContractSheet(this, myquery, desktop_, currentContractId()); }
void Tmainf::exportContractRegister() { ::exportContractRegister(this, myquery, desktop_); }
void Tmainf::TBItem20Click() { showUnfinished(); }
void Tmainf::TBItem22Click() { showUnfinished(); }
void Tmainf::TBItem23Click() { showUnfinished(); }
