#pragma once

#include <QString>

#include "AppError.h"

// Where a conversion stands, for a progress display.
struct ConversionStatus {
    QString table;    // the table being copied
    qint64 row = 0;   // its current row, from 1
    qint64 rows = 0;  // the rows it holds
    qint64 done = 0;  // the work done and the whole work, in pages of the old file
    qint64 total = 0;
};

// What watches a conversion: the window's progress dialog or the command line.
class ConversionProgress {
  public:
    virtual ~ConversionProgress() = default;
    // Often: after every row, and every megabyte while a long binary is copied.
    virtual void report(const ConversionStatus& status) = 0;
    // Asked as often; true stops the conversion.
    virtual bool cancelRequested() = 0;
    // Once for each of the eight tables, when it has been copied whole (0 rows for a table
    // the old file does not have).
    virtual void tableCopied(const QString& table, qint64 rows) = 0;
};

// The conversion stopped because the progress asked it to.
class ConversionCancelled : public AppError {
  public:
    ConversionCancelled();
};

// Makes a new contract file at newPath from the template and copies into it every row of
// the eight tables of an old contract file (Jet 4.0): texts and memos whole, amounts as
// the same doubles, dates as dates, flags as written, long binaries byte for byte and
// streamed, never held whole in memory. Columns the old file lacks stay without value;
// columns it has beyond ours are left behind.
//
// The old file is only read. The new file appears at newPath whole, in one step at the
// end (replacing what was there), or not at all: a failure or a cancel leaves nothing
// behind. Throws AppError with a Chinese message; damage names the table and the row.
void convertLegacyContractFile(const QString& oldPath, const QString& newPath,
                               const QString& templatePath, ConversionProgress& progress);
