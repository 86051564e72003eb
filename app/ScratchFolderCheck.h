#pragma once

#include <QString>

class Desktop;
class QWidget;
class ScratchFolder;

// The scratch folder for a command that takes files out of the contract file, made when it
// is missing. When it cannot be made the person is told so in the one box the program has
// for it ("新建文件夹出错", titled "错误", error icon) and the command stops: CommandStopped
// is thrown, which the command guard ends without a further message.
QString ensureScratchFolder(const ScratchFolder& scratch, Desktop& desktop, QWidget* parent);
