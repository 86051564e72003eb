#include "ChineseCollation.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <sqlite3.h>

#include <cstring>

#include "EngineError.h"

namespace {

int comparePinyin(void* context, int lengthA, const void* a, int lengthB, const void* b) {
    // Equal texts are common in an ordered scan (units of one region): no need to decode.
    if (lengthA == lengthB && (lengthA == 0 || std::memcmp(a, b, size_t(lengthA)) == 0)) return 0;
    const auto* collator = static_cast<const QCollator*>(context);
    const QString textA = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString textB = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    const int order = collator->compare(textA, textB);
    if (order != 0) return order;
    const int common = std::memcmp(a, b, size_t(std::min(lengthA, lengthB)));
    if (common != 0) return common;
    return lengthA - lengthB;
}

void destroyCollator(void* context) { delete static_cast<QCollator*>(context); }

}  // namespace

void registerChineseCollation(sqlite3* db) {
    auto* collator = new QCollator(QLocale(QLocale::Chinese, QLocale::China));
    const int rc = sqlite3_create_collation_v2(db, kChineseCollation, SQLITE_UTF8, collator,
                                               comparePinyin, destroyCollator);
    if (rc != SQLITE_OK) {
        delete collator;
        throw engineError(db, rc);
    }
}
