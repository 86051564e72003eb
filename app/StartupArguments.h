#pragma once

#include <QStringList>

class Desktop;
class Tmainf;

// The program's command line: nothing, or the path of one contract file, as a file
// manager passes it when a .pzq file is double-clicked. The file is opened as
// "打开合同文件" opens it, with the same checks and messages; anything else is
// explained in a message box and the program goes on without a file.
// `arguments` are the ones after the program's name.
void openFromCommandLine(Tmainf& window, Desktop& desktop, const QStringList& arguments);
