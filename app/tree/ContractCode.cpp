#include "ContractCode.h"

#include <algorithm>
#include <vector>

#include "AppError.h"

using contractcode::kLargestSibling;
using contractcode::kSegmentLength;

QString FormatCodeSegment(int n) {
    if (n < 1 || n > kLargestSibling)
        throw AppError(QStringLiteral("合同编号超出范围"),
                       QStringLiteral("每一级的合同序号只能是1到9999，而不是%1").arg(n));
    return QStringLiteral("%1").arg(n, kSegmentLength, 10, QLatin1Char('0'));
}

std::optional<int> SegmentValue(QStringView segment) {
    if (segment.size() != kSegmentLength) return std::nullopt;
    int value = 0;
    for (const QChar c : segment) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

namespace {

// -1, 0 or 1 as segment a sorts before, with or after segment b.
int compareSegments(QStringView a, QStringView b) {
    const std::optional<int> x = SegmentValue(a);
    const std::optional<int> y = SegmentValue(b);
    if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
    if (x) return -1;
    if (y) return 1;
    return a.compare(b);
}

int compareEqualLengthCodes(QStringView a, QStringView b) {
    const qsizetype whole = std::min(a.size(), b.size()) / kSegmentLength * kSegmentLength;
    for (qsizetype at = 0; at < whole; at += kSegmentLength) {
        const QStringView x = a.mid(at, kSegmentLength);
        const QStringView y = b.mid(at, kSegmentLength);
        if (x == y) continue;  // the common case, and cheaper than converting
        const int order = compareSegments(x, y);
        if (order != 0) return order < 0 ? -1 : 1;
    }
    return 0;
}

}  // namespace

bool CodeSortsAfter(QStringView a, QStringView b) { return compareEqualLengthCodes(a, b) > 0; }

bool CodeSortsBefore(QStringView a, QStringView b) {
    if (a.size() != b.size()) return a.size() < b.size();
    return compareEqualLengthCodes(a, b) < 0;
}

bool IsWholeSegmentCode(QStringView code) {
    return !code.isEmpty() && code.size() % kSegmentLength == 0;
}

bool NodeSortsBefore(QStringView codeA, qint64 idA, QStringView codeB, qint64 idB) {
    if (CodeSortsBefore(codeA, codeB)) return true;
    if (CodeSortsBefore(codeB, codeA)) return false;
    const int text = codeA.compare(codeB);
    return text != 0 ? text < 0 : idA < idB;
}

std::optional<QString> FirstFreeChildCode(const QString& prefix, const NextCodesInUse& next) {
    // Small first, as most levels have a free number early; larger while they do not.
    int batch = 4;
    for (int first = 2; first <= kLargestSibling; first += batch, batch = std::min(batch * 4, 256)) {
        QStringList candidates;
        for (int n = first; n < first + batch && n <= kLargestSibling; ++n)
            candidates << prefix + FormatCodeSegment(n);
        const std::vector<std::optional<QString>> codes = next(candidates);
        // Every code that starts with a candidate sorts at or after it, and before any
        // code after it that does not; so the next code in use tells.
        for (qsizetype i = 0; i < candidates.size(); ++i)
            if (!codes[size_t(i)] || !codes[size_t(i)]->startsWith(candidates[i]))
                return candidates[i];
    }
    return std::nullopt;
}

std::optional<QString> FirstFreeChildCode(const QString& prefix, const QStringList& codes) {
    QStringList sorted = codes;
    std::sort(sorted.begin(), sorted.end());
    return FirstFreeChildCode(prefix, [&sorted](const QStringList& from) {
        std::vector<std::optional<QString>> next;
        for (const QString& code : from) {
            const auto at = std::lower_bound(sorted.begin(), sorted.end(), code);
            next.push_back(at == sorted.end() ? std::nullopt : std::optional<QString>(*at));
        }
        return next;
    });
}

int LargestTopLevelNumber(const QStringList& codes) {
    int largest = 1;
    for (const QString& code : codes)
        if (const std::optional<int> n = SegmentValue(QStringView(code).left(kSegmentLength)))
            largest = std::max(largest, *n);
    return largest;
}
