#include "JetText.h"

QString decodeJetText(const char* data, qsizetype size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    QString text;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text.reserve(size - 2);
        bool oneByte = true;
        for (qsizetype i = 2; i < size;) {
            if (bytes[i] == 0) {
                oneByte = !oneByte;
                ++i;
            } else if (oneByte) {
                text += QChar(bytes[i]);
                ++i;
            } else if (i + 1 < size) {
                text += QChar(char16_t(bytes[i] | (bytes[i + 1] << 8)));
                i += 2;
            } else {
                break;  // half a character at the end: nothing to make of it
            }
        }
        return text;
    }
    text.resize(size / 2);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i + 1 < size; i += 2) *out++ = char16_t(bytes[i] | (bytes[i + 1] << 8));
    return text;
}
