#include "FileWait.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// A link counts as there even when it points nowhere: left in place, whatever is written
// to its name next would land wherever it points.
bool isThere(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

bool removeFileAndWait(const QString& path, int timeoutMs) {
    if (!isThere(path)) return true;
    if (!QFile::remove(path)) return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (isThere(path)) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}
