#include "ServerCommands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <memory>

#include "AppError.h"
#include "BusyWait.h"
#include "ContractDownload.h"
#include "ContractFileNaming.h"
#include "ContractQuery.h"
#include "ContractUpload.h"
#include "Desktop.h"
#include "NewFilePlacement.h"
#include "ServerConnection.h"
#include "ServerSessionInfo.h"

namespace {

// A modal progress dialog whose 取消 stops the copy.
class TransferDialog {
  public:
    TransferDialog(QWidget* parent, const QString& title, const QString& label)
        : dialog_(label, QStringLiteral("取消"), 0, 1000, parent) {
        dialog_.setObjectName(QStringLiteral("transferProgress"));
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setAutoReset(false);
        dialog_.setMinimumDuration(0);
        // Wide enough for the bar to show its progress at a glance.
        dialog_.setMinimumWidth(dialog_.fontMetrics().horizontalAdvance(label) * 3);
    }

    TransferProgress report() {
        return [this](qint64 done, qint64 total) {
            dialog_.setValue(int(done * 1000 / qMax<qint64>(total, 1)));
            // The dialog itself looks at 取消 only when its bar moves; a large file moves it
            // seldom, so the click is fetched here at every report.
            QCoreApplication::processEvents();
            return !dialog_.wasCanceled();
        };
    }
    void close() { dialog_.close(); }

  private:
    QProgressDialog dialog_;
};

void warn(Desktop& desktop, QWidget* parent, const QString& text) {
    showWarning(desktop, parent, text, QStringLiteral("警告"));
}

void inform(Desktop& desktop, QWidget* parent, const QString& text) {
    desktop.showMessage(
        parent, {text, QStringLiteral("提示"), MessageIcon::Information, MessageButtons::Ok});
}

}  // namespace

void uploadToServer(QWidget* parent, ContractQuery& query, Desktop& desktop) {
    const QString connectionString = desktop.chooseServer(parent, QStringLiteral("上传到服务器"));
    if (connectionString.isEmpty()) return;
    std::unique_ptr<ServerConnection> target;
    try {
        BusyWait wait;
        target = std::make_unique<ServerConnection>(connectionString);
    } catch (const AppError& error) {
        warn(desktop, parent, error.text());
        return;
    }
    query.close();
    TransferDialog progress(parent, QStringLiteral("上传到服务器"),
                            QStringLiteral("正在上传合同文件……"));
    try {
        uploadContractFile(query.database(), *target, progress.report());
    } catch (const TransferCancelled&) {
        progress.close();
        inform(desktop, parent, QStringLiteral("上传已取消，服务器上的数据库没有改变"));
        return;
    } catch (const AppError& error) {
        progress.close();
        warn(desktop, parent,
             QStringLiteral("上传失败，服务器上的数据库没有改变。\n") + error.text());
        return;
    }
    progress.close();
    inform(desktop, parent, QStringLiteral("合同文件已上传到服务器：") + serverPlaceName(*target));
}

void saveServerAsContractFile(QWidget* parent, ContractQuery& query, Desktop& desktop,
                              const QString& templatePath) {
    const QString chosen = desktop.chooseFileToSave(
        parent, {QStringLiteral("另存为合同文件"), QStringLiteral("合同管理文件(*.pzq)")});
    if (chosen.isEmpty()) return;
    const QString target = newContractFilePath(chosen);
    if (QFileInfo::exists(target) &&
        !askYesNo(desktop, parent, QStringLiteral("文件已经存在，是否覆盖？"),
                  QStringLiteral("确认"), MessageIcon::Question))
        return;
    query.close();
    TransferDialog progress(parent, QStringLiteral("另存为合同文件"),
                            QStringLiteral("正在从服务器另存为合同文件……"));
    QString fresh;
    try {
        fresh = downloadContractFile(query.server(), templatePath, target, progress.report());
    } catch (const TransferCancelled&) {
        return;
    } catch (const AppError& error) {
        progress.close();
        warn(desktop, parent, QStringLiteral("另存为合同文件失败。\n") + error.text());
        return;
    }
    progress.close();
    if (!placeNewContractFile(desktop, parent, fresh, target)) return;
    inform(desktop, parent, QStringLiteral("已另存为合同文件：") + target);
}
