#include "ScratchFolderCheck.h"

#include "AppError.h"
#include "CommandGuard.h"
#include "Desktop.h"
#include "ScratchFolder.h"

QString ensureScratchFolder(const ScratchFolder& scratch, Desktop& desktop, QWidget* parent) {
    try {
        return scratch.path();
    } catch (const AppError&) {
        desktop.showMessage(parent, {QStringLiteral("新建文件夹出错"), QStringLiteral("错误"),
                                     MessageIcon::Error, MessageButtons::Ok});
        throw CommandStopped();
    }
}
