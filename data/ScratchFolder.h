#pragma once

#include <QString>

// The folder where files taken out of a contract file are written for viewing or
// opening: "temp/" in the program folder when that can be written, otherwise the
// user's cache folder. Files are left there after use.
class ScratchFolder {
public:
    // An empty program folder: the user's cache folder only (an installed program).
    explicit ScratchFolder(QString programFolder);

    // The folder, created on demand; throws AppError("新建文件夹出错") when it cannot be made.
    QString path() const;

    // The path for a file of the given stored name, ready to be written: the name is
    // reduced to a bare file name, and an existing file of that name is deleted first.
    // Throws AppError when the old file cannot be removed within a few seconds.
    QString prepareFile(const QString& storedName) const;

    // A name that came out of a contract file, made safe to join to a folder: no folder
    // part, no separators, no "..", no control characters, no characters that reverse the
    // order in which it shows, short enough for any file system.
    static QString bareFileName(const QString& storedName);

private:
    QString programFolder_;
};
