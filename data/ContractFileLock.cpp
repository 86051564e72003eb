#include "ContractFileLock.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSysInfo>

namespace {

// The claims of this process, by the file's canonical path.
QHash<QString, std::weak_ptr<ContractFileLock>>& claims() {
    static QHash<QString, std::weak_ptr<ContractFileLock>> held;
    return held;
}

QString holderDescription(const QLockFile& lock) {
    qint64 pid = 0;
    QString host;
    QString program;
    if (!lock.getLockInfo(&pid, &host, &program)) return {};
    QStringList parts;
    if (!program.isEmpty()) parts << QStringLiteral("程序 ") + program;
    if (pid > 0) parts << QStringLiteral("进程号 ") + QString::number(pid);
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        parts << QStringLiteral("计算机 ") + host;
    return parts.join(QStringLiteral("，"));
}

}  // namespace

QString ContractFileLock::lockFilePath(const QString& contractFile) {
    const QFileInfo info(contractFile);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".lock"));
}

std::shared_ptr<ContractFileLock> ContractFileLock::claim(const QString& contractFile) {
    const QFileInfo info(contractFile);
    const QString key =
        info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    if (auto held = claims().value(key).lock()) return held;

    auto lock = std::make_unique<QLockFile>(lockFilePath(key));
    // Held for as long as the file is open, so never stale by age: only a lock whose
    // process has ended is taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) {
            const QString holder = holderDescription(*lock);
            throw ContractFileInUse(
                QStringLiteral("该合同文件正在被另一个程序使用") +
                    (holder.isEmpty() ? QString()
                                      : QStringLiteral("（") + holder + QStringLiteral("）")) +
                    QStringLiteral("，请先在那个程序中打开别的文件或退出那个程序"),
                contractFile);
        }
        return nullptr;
    }
    std::shared_ptr<ContractFileLock> claimed(new ContractFileLock(key, std::move(lock)));
    claims().insert(key, claimed);
    return claimed;
}

ContractFileLock::ContractFileLock(QString key, std::unique_ptr<QLockFile> lock)
    : key_(std::move(key)), lock_(std::move(lock)) {}

ContractFileLock::~ContractFileLock() {
    // A newer claim on the same file may already stand in the table; only this one goes.
    const auto it = claims().constFind(key_);
    if (it != claims().constEnd() && it.value().expired()) claims().erase(it);
    lock_->unlock();
}
