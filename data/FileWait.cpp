#include "FileWait.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

bool removeFileAndWait(const QString& path, int timeoutMs) {
    if (!QFileInfo::exists(path)) return true;
    if (!QFile::remove(path)) return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (QFileInfo::exists(path)) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}
