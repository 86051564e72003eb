#pragma once

#include <QObject>

// While it lives, the program waits for another program on behalf of a command: the
// pointer is the busy cursor, and key presses, clicks, wheel turns and requests to close
// a window are dropped, while the windows go on painting. Dropped rather than held back,
// so that a click made while waiting does not act once the wait is over.
class BusyWait : public QObject {
  public:
    BusyWait();
    ~BusyWait() override;
    BusyWait(const BusyWait&) = delete;
    BusyWait& operator=(const BusyWait&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
