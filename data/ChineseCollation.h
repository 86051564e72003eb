#pragma once

struct sqlite3;

// The text order of Chinese columns (unit names, regions): pinyin order, with texts the
// collator holds equal told apart by their bytes so that the order stays total.
// The schema names it; every connection must register it before it touches those columns.
inline constexpr const char* kChineseCollation = "zh_pinyin";

void registerChineseCollation(sqlite3* db);
