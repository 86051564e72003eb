#include "TransferProgress.h"

TransferCancelled::TransferCancelled() : AppError(QStringLiteral("复制已取消")) {}

TransferMeter::TransferMeter(const TransferProgress& progress, qint64 total)
    : progress_(progress), total_(qMax<qint64>(total, 1)) {
    report();
}

void TransferMeter::advance(qint64 steps) {
    done_ = qMin(done_ + steps, total_);
    if (sinceReport_.elapsed() >= 40) report();
}

void TransferMeter::finish() {
    done_ = total_;
    report();
}

void TransferMeter::report() {
    sinceReport_.start();
    if (progress_ && !progress_(done_, total_)) throw TransferCancelled();
}
