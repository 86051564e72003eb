#include "FaultyFileSystem.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <cstring>

namespace {

sqlite3_vfs* real = nullptr;
qint64 freeSpace = -1;
std::function<void(const QString&)> journalHook;

// One open file: the real one lives in the bytes after this header.
struct FaultyFile {
    sqlite3_file base;
    sqlite3_file* real;
};

sqlite3_file* realOf(sqlite3_file* file) { return reinterpret_cast<FaultyFile*>(file)->real; }

int fileClose(sqlite3_file* f) { return realOf(f)->pMethods->xClose(realOf(f)); }
int fileRead(sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
    return realOf(f)->pMethods->xRead(realOf(f), data, amount, offset);
}
int fileWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    sqlite3_file* r = realOf(f);
    if (freeSpace >= 0) {
        sqlite3_int64 size = 0;
        r->pMethods->xFileSize(r, &size);
        const qint64 growth = offset + amount - size;
        if (growth > 0) {
            if (growth > freeSpace) return SQLITE_FULL;
            freeSpace -= growth;
        }
    }
    return r->pMethods->xWrite(r, data, amount, offset);
}
int fileTruncate(sqlite3_file* f, sqlite3_int64 size) {
    sqlite3_file* r = realOf(f);
    if (freeSpace >= 0) {
        sqlite3_int64 before = 0;
        r->pMethods->xFileSize(r, &before);
        if (before > size) freeSpace += before - size;
    }
    return r->pMethods->xTruncate(r, size);
}
int fileSync(sqlite3_file* f, int flags) { return realOf(f)->pMethods->xSync(realOf(f), flags); }
int fileSize(sqlite3_file* f, sqlite3_int64* size) {
    return realOf(f)->pMethods->xFileSize(realOf(f), size);
}
int fileLock(sqlite3_file* f, int lock) { return realOf(f)->pMethods->xLock(realOf(f), lock); }
int fileUnlock(sqlite3_file* f, int lock) { return realOf(f)->pMethods->xUnlock(realOf(f), lock); }
int fileCheckReservedLock(sqlite3_file* f, int* out) {
    return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
}
int fileControl(sqlite3_file* f, int op, void* arg) {
    return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
}
int fileSectorSize(sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int fileDeviceCharacteristics(sqlite3_file* f) {
    return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f));
}

// Version 1: no shared memory and no memory mapping, which rollback journals do not need.
const sqlite3_io_methods faultyMethods = {
    1,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckReservedLock,
    fileControl,
    fileSectorSize,
    fileDeviceCharacteristics,
};

int vfsOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* faulty = reinterpret_cast<FaultyFile*>(file);
    faulty->base.pMethods = nullptr;
    faulty->real = reinterpret_cast<sqlite3_file*>(faulty + 1);
    const int rc = real->xOpen(real, name, faulty->real, flags, outFlags);
    if (faulty->real->pMethods) faulty->base.pMethods = &faultyMethods;
    return rc;
}
int vfsDelete(sqlite3_vfs*, const char* name, int syncDir) {
    const QString path = QString::fromUtf8(name);
    if (journalHook && path.endsWith(QLatin1String("-journal"))) journalHook(path);
    const qint64 size = QFileInfo(path).size();
    const int rc = real->xDelete(real, name, syncDir);
    if (rc == SQLITE_OK && freeSpace >= 0) freeSpace += size;
    return rc;
}
int vfsAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return real->xAccess(real, name, flags, out);
}
int vfsFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    return real->xFullPathname(real, name, size, out);
}
void* vfsDlOpen(sqlite3_vfs*, const char* name) { return real->xDlOpen(real, name); }
void vfsDlError(sqlite3_vfs*, int size, char* out) { real->xDlError(real, size, out); }
void (*vfsDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return real->xDlSym(real, handle, symbol);
}
void vfsDlClose(sqlite3_vfs*, void* handle) { real->xDlClose(real, handle); }
int vfsRandomness(sqlite3_vfs*, int size, char* out) { return real->xRandomness(real, size, out); }
int vfsSleep(sqlite3_vfs*, int micros) { return real->xSleep(real, micros); }
int vfsCurrentTime(sqlite3_vfs*, double* out) { return real->xCurrentTime(real, out); }
int vfsGetLastError(sqlite3_vfs*, int size, char* out) {
    return real->xGetLastError(real, size, out);
}
int vfsCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return real->xCurrentTimeInt64(real, out);
}

}  // namespace

namespace faultyfs {

void install() {
    static sqlite3_vfs faulty;
    if (real) return;
    sqlite3_initialize();
    real = sqlite3_vfs_find(nullptr);
    std::memset(&faulty, 0, sizeof faulty);
    faulty.iVersion = 2;
    faulty.szOsFile = int(sizeof(FaultyFile)) + real->szOsFile;
    faulty.mxPathname = real->mxPathname;
    faulty.zName = "faulty";
    faulty.xOpen = vfsOpen;
    faulty.xDelete = vfsDelete;
    faulty.xAccess = vfsAccess;
    faulty.xFullPathname = vfsFullPathname;
    faulty.xDlOpen = vfsDlOpen;
    faulty.xDlError = vfsDlError;
    faulty.xDlSym = vfsDlSym;
    faulty.xDlClose = vfsDlClose;
    faulty.xRandomness = vfsRandomness;
    faulty.xSleep = vfsSleep;
    faulty.xCurrentTime = vfsCurrentTime;
    faulty.xGetLastError = vfsGetLastError;
    faulty.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    sqlite3_vfs_register(&faulty, 1);
}

void setFreeSpace(qint64 bytes) { freeSpace = bytes; }

void onJournalDelete(std::function<void(const QString&)> hook) { journalHook = std::move(hook); }

}  // namespace faultyfs
