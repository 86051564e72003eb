#pragma once

#include <QString>
#include <memory>

#include "AppError.h"

class QLockFile;

// A contract file held by another program: the text says so and names the holder as far
// as it is known.
class ContractFileInUse : public AppError {
  public:
    using AppError::AppError;
};

// The claim of this program on one contract file, so that two programs never write the
// same file: a lock file beside it (".<name>.lock") naming the holding process. The claim is
// the program's, not one connection's: every holder in this process shares it, and it goes
// when the last one lets go. A lock file whose process has ended, as after a crash, is
// taken over.
class ContractFileLock {
  public:
    // Claims the file for this program, or throws ContractFileInUse. When the folder
    // cannot take a lock file, no claim is made and null is returned: the engine cannot
    // write a file there either, since it keeps its journal beside the file.
    static std::shared_ptr<ContractFileLock> claim(const QString& contractFile);

    // Where the lock of a contract file lives.
    static QString lockFilePath(const QString& contractFile);

    ~ContractFileLock();
    ContractFileLock(const ContractFileLock&) = delete;
    ContractFileLock& operator=(const ContractFileLock&) = delete;

  private:
    ContractFileLock(QString key, std::unique_ptr<QLockFile> lock);

    QString key_;
    std::unique_ptr<QLockFile> lock_;
};
