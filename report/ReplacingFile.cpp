#include "ReplacingFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "AppError.h"

QString cannotWriteFileMessage(const QString& path) {
    return QStringLiteral("无法写入文件“%1”，请检查文件夹是否存在、是否允许写入").arg(path);
}

ReplacingFile::ReplacingFile(const QString& target) : target_(target) {
    const QFileInfo info(target);
    // The name is reserved by creating the file; the writer then writes over it.
    QTemporaryFile reserved(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".XXXXXX"));
    if (!reserved.open()) throw AppError(cannotWriteFileMessage(target), reserved.errorString());
    reserved.setAutoRemove(false);
    temporary_ = reserved.fileName();
}

ReplacingFile::~ReplacingFile() {
    if (!committed_) QFile::remove(temporary_);
}

void ReplacingFile::commit() {
    // rename() replaces an existing target in one step; the target is never missing.
    if (std::rename(QFile::encodeName(temporary_).constData(),
                    QFile::encodeName(target_).constData()) != 0)
        throw AppError(cannotWriteFileMessage(target_),
                       QString::fromLocal8Bit(std::strerror(errno)));
    committed_ = true;
    // A temporary file is private to its owner; the export is an ordinary file.
    QFile::setPermissions(target_, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadGroup | QFileDevice::ReadOther);
}
