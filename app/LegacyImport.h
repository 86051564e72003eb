#pragma once

#include <QString>

class Desktop;
class QWidget;

// "打开合同文件" on a contract file of the earlier Windows program: asks whether to convert
// it, proposes "<name>（新）.pzq" beside it in the save dialog, asks before replacing a file,
// and converts under a progress dialog that can cancel. The old file is only read.
//
// Returns the path to open: the chosen path itself when it is not an old file, the new
// file after a conversion, or an empty text when the person said no or cancelled or the
// conversion failed (its message has been shown, and no new file is left behind).
QString contractFileToOpen(Desktop& desktop, QWidget* parent, const QString& chosen,
                           const QString& programFolder);

// The name proposed for the converted file: "（新）" before the extension, same folder.
QString proposedConvertedPath(const QString& oldPath);
