#include "NewFilePlacement.h"

#include <QFile>
#include <QFileInfo>

#include "ContractFileLock.h"
#include "Desktop.h"
#include "FileWait.h"

bool placeNewContractFile(Desktop& desktop, QWidget* parent, const QString& fresh,
                          const QString& target, std::shared_ptr<ContractFileLock>* claimHeld) {
    const bool replacing = QFileInfo::exists(target);
    // A file that another program has open counts as in use even where the system would
    // let it be deleted; holding the claim keeps a third one out until the new file is open.
    std::shared_ptr<ContractFileLock> claim;
    bool heldElsewhere = false;
    if (replacing) {
        try {
            claim = ContractFileLock::claim(target);
        } catch (const ContractFileInUse&) {
            heldElsewhere = true;
        }
    }
    if (replacing && (heldElsewhere || !removeFileAndWait(target))) {
        QFile::remove(fresh);
        desktop.showMessage(parent,
                            {QStringLiteral("目标文件正在使用，无法删除"), QStringLiteral("确认"),
                             MessageIcon::Question, MessageButtons::Ok});
        return false;
    }
    if (!QFile::rename(fresh, target)) {
        QFile::remove(fresh);
        desktop.showMessage(parent, {QStringLiteral("新建文件错误"), QStringLiteral("提示"),
                                     MessageIcon::Question, MessageButtons::Ok});
        return false;
    }
    if (claimHeld) *claimHeld = std::move(claim);
    return true;
}
