#include "ScanViewLayout.h"

namespace {

constexpr int kMargin = 20;  // both sides together

}  // namespace

QRect scanViewGeometry(const QSize& picture, const QSize& area, bool fit) {
    const int w = picture.width();
    const int h = picture.height();
    const int bw = area.width();
    const int bh = area.height();
    const bool roomInside = bw > kMargin && bh > kMargin;
    if (fit && roomInside && (w > bw - kMargin || h > bh - kMargin)) {
        // The ratios are worked out exactly this way, rounding included, so that a picture
        // lands on the same pixels wherever it is shown.
        const double width = qint64(w) * 100 * 0.01;
        const double height = qint64(h) * 100 * 0.01;
        const double rw = width / (bw - kMargin);
        const double rh = height / (bh - kMargin);
        const double r = rw > rh ? rw : rh;
        const int viewWidth = int(width / r);
        const int viewHeight = int(height / r);
        return {(bw - viewWidth) / 2, (bh - viewHeight) / 2, viewWidth, viewHeight};
    }
    return {w < bw ? (bw - w) / 2 : 0, h < bh ? (bh - h) / 2 : 0, w, h};
}
