#include "StartupArguments.h"

#include <QFileInfo>
#include <QUrl>

#include "Desktop.h"
#include "Tmainf.h"

namespace {

// A launcher that hands over a file by its address rather than its path.
QString localPath(const QString& argument) {
    if (argument.startsWith(QLatin1String("file:"))) {
        const QUrl url(argument);
        const bool onThisMachine = url.host().isEmpty() || url.host() == QLatin1String("localhost");
        return url.isLocalFile() && onThisMachine ? url.toLocalFile() : QString();
    }
    return argument;
}

QString contractFileArgument(const QStringList& arguments) {
    if (arguments.size() != 1) return {};
    const QString& argument = arguments.front();
    if (argument.isEmpty() || argument.startsWith(QLatin1Char('-'))) return {};
    const QString path = localPath(argument);
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

// Names what was given, each argument as typed, quoted where a space or nothing would hide it.
QString unknownArgumentsMessage(const QStringList& arguments) {
    QStringList shown;
    for (const QString& argument : arguments) {
        const bool quote = argument.isEmpty() || argument.contains(QLatin1Char(' '));
        shown << (quote ? QLatin1Char('"') + argument + QLatin1Char('"') : argument);
    }
    return QStringLiteral("无法识别的启动参数：") + shown.join(QLatin1Char(' ')) +
           QStringLiteral(
               "\n\n启动时只能给出一个合同文件的路径，例如：\n"
               "vemora-contracts 合同.pzq\n\n程序已启动，没有打开合同文件。");
}

}  // namespace

void openFromCommandLine(Tmainf& window, Desktop& desktop, const QStringList& arguments) {
    if (arguments.isEmpty()) return;
    const QString path = contractFileArgument(arguments);
    if (!path.isEmpty()) {
        window.guard().run([&window, &path] { window.OpenContractFile(path); });
        return;
    }
    desktop.showMessage(&window, {unknownArgumentsMessage(arguments), QStringLiteral("提示"),
                                  MessageIcon::Warning, MessageButtons::Ok});
}
