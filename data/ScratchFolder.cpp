#include "ScratchFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "AppError.h"
#include "FileWait.h"

namespace {

// Longer names are cut to this many bytes of UTF-8. The file system takes 255; the rest
// is room for what is put beside a file under a longer name: the save file's temporary
// name while it is written, an office program's lock file while it is open.
constexpr int kNameBytes = 200;

// Cuts the part before the extension, at a character boundary, so that the file keeps
// its type.
QString fitted(const QString& name) {
    if (name.toUtf8().size() <= kNameBytes) return name;
    QString stem = name;
    QString extension;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && name.size() - dot <= 16) {
        stem = name.left(dot);
        extension = name.mid(dot);
    }
    const qsizetype budget = kNameBytes - extension.toUtf8().size();
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < stem.size()) {
        const qsizetype length = stem.at(end).isHighSurrogate() && end + 1 < stem.size() ? 2 : 1;
        const qsizetype size = stem.mid(end, length).toUtf8().size();
        if (bytes + size > budget) break;
        bytes += size;
        end += length;
    }
    return stem.left(end).trimmed() + extension;
}

// The embeddings, overrides and isolates that reorder what follows them: "\u202Egnp.exe"
// shows as "exe.png". A file name keeps none of them, so it shows what it is.
bool isBidiControl(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

bool makeWritableFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    QTemporaryFile probe(folder + QStringLiteral("/.probe-XXXXXX"));
    return probe.open();
}

}  // namespace

ScratchFolder::ScratchFolder(QString programFolder) : programFolder_(std::move(programFolder)) {}

QString ScratchFolder::path() const {
    const QString beside =
        programFolder_.isEmpty() ? QString() : QDir(programFolder_).filePath(QStringLiteral("temp"));
    if (!beside.isEmpty() && makeWritableFolder(beside)) return beside;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString inCache = cache.isEmpty() ? QString() : QDir(cache).filePath(QStringLiteral("temp"));
    if (!inCache.isEmpty() && makeWritableFolder(inCache)) return inCache;
    throw AppError(QStringLiteral("新建文件夹出错"), beside.isEmpty() ? inCache : beside);
}

QString ScratchFolder::bareFileName(const QString& storedName) {
    QString name = storedName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    QString clean;
    clean.reserve(name.size());
    for (const QChar c : name)
        if (c.category() != QChar::Other_Control && c != QLatin1Char(':') && !isBidiControl(c))
            clean += c;
    clean = clean.trimmed();
    while (clean.startsWith(QLatin1Char('.'))) clean.remove(0, 1);
    if (clean.isEmpty()) clean = QStringLiteral("未命名");
    return fitted(clean);
}

QString ScratchFolder::prepareFile(const QString& storedName) const {
    const QString target = QDir(path()).filePath(bareFileName(storedName));
    if (!removeFileAndWait(target))
        throw AppError(QStringLiteral("临时文件正在使用，无法替换，请关闭打开它的程序后再试"), target);
    return target;
}
