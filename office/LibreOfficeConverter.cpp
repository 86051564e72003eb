#include "LibreOfficeConverter.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

// How much of the office's own output goes into a failure's detail.
constexpr int kOutputShown = 400;

QString officeOutput(QProcess& office) {
    QString text = QString::fromLocal8Bit(office.readAll()).trimmed();
    if (text.size() > kOutputShown) text = text.right(kOutputShown);
    return text;
}

ConversionResult failed(const QString& why, const QString& output = {}) {
    return {ConversionResult::Failed, output.isEmpty() ? why : why + QLatin1Char('\n') + output};
}

// The RTF file the office wrote: the only one in its fresh output folder.
QString producedFile(const QString& folder) {
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.rtf")}, QDir::Files | QDir::NoDotAndDotDot);
    return files.size() == 1 ? files.first().absoluteFilePath() : QString();
}

}  // namespace

LibreOfficeConverter::LibreOfficeConverter(QString program, int timeoutMs)
    : program_(std::move(program)), timeoutMs_(timeoutMs) {}

QString LibreOfficeConverter::installedProgram() {
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) return found;
    }
    const QString packaged = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    return QFileInfo(packaged).isExecutable() ? packaged : QString();
}

ConversionResult LibreOfficeConverter::convertToRtf(const QString& documentPath,
                                                    const QString& rtfPath) {
    const QString program = program_.isEmpty() ? installedProgram() : program_;
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) return {ConversionResult::Missing};

    // Profile and output live in a folder of this conversion alone, gone when it ends.
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/vemora-office-XXXXXX"));
    const QString outFolder = work.filePath(QStringLiteral("out"));
    if (!work.isValid() || !QDir().mkpath(outFolder))
        return failed(QStringLiteral("无法建立文档转换用的临时文件夹"));
    const QString profile =
        QUrl::fromLocalFile(work.filePath(QStringLiteral("profile"))).toString(QUrl::FullyEncoded);

    QProcess office;
    office.setProgram(program);
    office.setArguments(
        {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
         QStringLiteral("--invisible"), QStringLiteral("--nologo"), QStringLiteral("--norestore"),
         QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
         QStringLiteral("--convert-to"), QStringLiteral("rtf"), QStringLiteral("--outdir"),
         outFolder, QFileInfo(documentPath).absoluteFilePath()});
    office.setProcessChannelMode(QProcess::MergedChannels);
    office.setStandardInputFile(QProcess::nullDevice());
    // A group of its own: the start program is a script that starts the office proper, and
    // ending only the script would leave the office running.
    office.setChildProcessModifier([] { ::setsid(); });

    QEventLoop waiting;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &waiting, &QEventLoop::quit);
    QObject::connect(&office, &QProcess::finished, &waiting, &QEventLoop::quit);
    QObject::connect(&office, &QProcess::errorOccurred, &waiting, &QEventLoop::quit);

    office.start();
    if (!office.waitForStarted()) {
        if (office.error() == QProcess::FailedToStart) return {ConversionResult::Missing};
        return failed(QStringLiteral("文档转换程序无法启动"), office.errorString());
    }
    deadline.start(timeoutMs_);
    if (office.state() != QProcess::NotRunning) waiting.exec();

    if (office.state() != QProcess::NotRunning) {
        ::kill(-pid_t(office.processId()), SIGKILL);
        office.waitForFinished(5000);
        return failed(QStringLiteral("文档转换超时，转换程序已被结束"));
    }

    const QString produced = producedFile(outFolder);
    if (produced.isEmpty())
        return failed(QStringLiteral("文档转换失败，没有生成RTF文件"), officeOutput(office));
    if (QFileInfo::exists(rtfPath) && !QFile::remove(rtfPath))
        return failed(QStringLiteral("无法替换原有的RTF文件"), rtfPath);
    // Renaming falls back to copying when the scratch folder is on another file system.
    if (!QFile::rename(produced, rtfPath))
        return failed(QStringLiteral("无法写入RTF文件"), rtfPath);
    return {ConversionResult::Converted};
}
