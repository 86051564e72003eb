#include "ScratchFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "AppError.h"
#include "FileWait.h"

namespace {

bool makeWritableFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    QTemporaryFile probe(folder + QStringLiteral("/.probe-XXXXXX"));
    return probe.open();
}

}  // namespace

ScratchFolder::ScratchFolder(QString programFolder) : programFolder_(std::move(programFolder)) {}

QString ScratchFolder::path() const {
    const QString beside = QDir(programFolder_).filePath(QStringLiteral("temp"));
    if (makeWritableFolder(beside)) return beside;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty()) {
        const QString inCache = QDir(cache).filePath(QStringLiteral("temp"));
        if (makeWritableFolder(inCache)) return inCache;
    }
    throw AppError(QStringLiteral("新建文件夹出错"), beside);
}

QString ScratchFolder::bareFileName(const QString& storedName) {
    QString name = storedName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    QString clean;
    clean.reserve(name.size());
    for (const QChar c : name)
        if (c.category() != QChar::Other_Control && c != QLatin1Char(':')) clean += c;
    clean = clean.trimmed();
    while (clean.startsWith(QLatin1Char('.'))) clean.remove(0, 1);
    if (clean.isEmpty()) clean = QStringLiteral("未命名");
    return clean;
}

QString ScratchFolder::prepareFile(const QString& storedName) const {
    const QString target = QDir(path()).filePath(bareFileName(storedName));
    if (!removeFileAndWait(target))
        throw AppError(QStringLiteral("临时文件正在使用，无法替换，请关闭打开它的程序后再试"), target);
    return target;
}
