#pragma once

#include <QString>

// A file written under a temporary name beside its target and renamed into place only
// when it is complete, so that a failed or cancelled export never leaves a half file
// where the person asked for one. Whatever was not committed is removed.
class ReplacingFile {
  public:
    // Reserves the temporary name; throws AppError when the folder cannot be written.
    explicit ReplacingFile(const QString& target);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    const QString& target() const { return target_; }
    // Where the writer puts the file's bytes.
    const QString& temporaryPath() const { return temporary_; }
    // Moves the finished file over the target; throws AppError when that fails.
    void commit();

  private:
    QString target_;
    QString temporary_;
    bool committed_ = false;
};

// The headline of every export that could not write its file.
QString cannotWriteFileMessage(const QString& path);
