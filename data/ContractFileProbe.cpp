#include "ContractFileProbe.h"

#include <QFile>
#include <QFileInfo>

namespace {

quint32 bigEndian32(const QByteArray& bytes, int offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + offset;
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

// The engine's rollback journal beside the file, when it holds a change that was being
// committed: a header with the journal's mark, made for a file at least as long as this one
// is now. The engine plays such a journal back when it opens the file, which undoes the
// half-written commit; the copy of a file cut short has no journal of that kind.
bool hasRollbackJournal(const QString& path, qint64 fileSize) {
    QFile journal(path + QStringLiteral("-journal"));
    if (!journal.open(QIODevice::ReadOnly)) return false;
    const QByteArray header = journal.read(28);
    static const QByteArray mark("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    if (header.size() < 28 || !header.startsWith(mark)) return false;
    // The size of the file before the interrupted commit, in pages; a commit only adds
    // pages at the end, so the file on disk is at least that long.
    const qint64 pagesBefore = bigEndian32(header, 16);
    const qint64 pageSize = bigEndian32(header, 24);
    return pagesBefore * pageSize <= fileSize;
}

}  // namespace

ContractFileKind probeContractFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return ContractFileKind::Missing;
    if (!info.isFile()) return ContractFileKind::NotAFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return ContractFileKind::Unreadable;
    const QByteArray header = file.read(100);
    const qint64 size = file.size();

    // Jet 3/4 and ACE files carry their engine's name at offset 4.
    if (header.mid(4, 15) == "Standard Jet DB" || header.mid(4, 15) == "Standard ACE DB")
        return ContractFileKind::LegacyJet;
    if (!header.startsWith(QByteArray("SQLite format 3\0", 16))) return ContractFileKind::NotADatabase;
    // The engine's own mark followed by less than a whole header is a copy cut short.
    if (header.size() < 100) return ContractFileKind::Truncated;

    // The page size (1 stands for 65536) and, when it is known to be current, the
    // number of pages: a copy cut short is caught here instead of half-way through a read.
    quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    if (pageSize == 1) pageSize = 65536;
    const quint32 changeCounter = bigEndian32(header, 24);
    const quint32 pageCount = bigEndian32(header, 28);
    const quint32 validFor = bigEndian32(header, 92);
    if (pageCount != 0 && validFor == changeCounter && qint64(pageCount) * pageSize > size &&
        !hasRollbackJournal(path, size))
        return ContractFileKind::Truncated;
    return ContractFileKind::Database;
}

QString contractFileProblem(ContractFileKind kind, const QString& path) {
    switch (kind) {
        case ContractFileKind::Missing: return QStringLiteral("合同文件不存在：") + path;
        case ContractFileKind::NotAFile: return QStringLiteral("所选路径不是文件：") + path;
        case ContractFileKind::Unreadable: return QStringLiteral("无法读取合同文件：") + path;
        case ContractFileKind::LegacyJet:
            return QStringLiteral("这是旧版（Access格式）的合同文件，须用“打开合同文件”转换后才能打开：") + path;
        case ContractFileKind::Truncated:
            return QStringLiteral("合同文件不完整（文件被截断或复制不全）：") + path;
        case ContractFileKind::NotADatabase: return QStringLiteral("所选文件不是合同文件：") + path;
        case ContractFileKind::Database: break;
    }
    return {};
}
