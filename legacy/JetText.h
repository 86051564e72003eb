#pragma once

#include <QString>

// Text as a Jet 4.0 file stores it: UTF-16 little-endian, or, when it begins with the
// bytes FF FE, "compressed": runs of one byte per character (the high byte is zero) and
// runs of two bytes per character, each run ended by a zero byte.
QString decodeJetText(const char* data, qsizetype size);
