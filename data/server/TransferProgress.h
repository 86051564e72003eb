#pragma once

#include <QElapsedTimer>
#include <functional>

#include "AppError.h"

// How far a copy between a contract file and a server has come: `done` of `total` steps,
// a step being one row or one KiB of a stored file, so that a large scan moves the bar as
// many rows do. Answers false to stop the copy.
using TransferProgress = std::function<bool(qint64 done, qint64 total)>;

// The person stopped the copy; what it had written is gone.
class TransferCancelled : public AppError {
  public:
    TransferCancelled();
};

// Counts the steps of one copy and reports them, at most every few tens of milliseconds
// (a report lets the window repaint, which costs more than a row). Throws
// TransferCancelled when the report answers false.
class TransferMeter {
  public:
    TransferMeter(const TransferProgress& progress, qint64 total);

    void advance(qint64 steps);
    void advanceBytes(qint64 bytes) { advance((bytes + 1023) / 1024); }
    // Reports the end (done = total).
    void finish();

  private:
    void report();

    const TransferProgress& progress_;
    qint64 total_;
    qint64 done_ = 0;
    QElapsedTimer sinceReport_;
};
