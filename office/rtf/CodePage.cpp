#include "CodePage.h"

#include <iconv.h>

#include <QSysInfo>
#include <cerrno>

namespace rtf {

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// The iconv name of a Windows code page number.
QByteArray iconvName(int codePage) {
    switch (codePage) {
        case 65001:
            return "UTF-8";
        case 10000:
            return "MACINTOSH";
        case 10001:
            return "CP932";  // Mac Japanese: Shift-JIS is the closest iconv knows
        case 10002:
            return "BIG5";
        case 10003:
            return "UHC";
        case 10006:
            return "MAC-GREEK";
        case 10007:
            return "MAC-CYRILLIC";
        case 10008:
            return "GB2312";
        case 10029:
            return "MAC-CENTRALEUROPE";
        case 10079:
            return "MAC-IS";
        case 10081:
            return "MAC-TURKISH";
        case 20127:
            return "ASCII";
        case 20866:
            return "KOI8-R";
        case 20932:
            return "EUC-JP";
        case 20936:
            return "GB2312";
        case 21866:
            return "KOI8-U";
        case 28591:
            return "ISO-8859-1";
        case 28592:
            return "ISO-8859-2";
        case 28595:
            return "ISO-8859-5";
        case 28597:
            return "ISO-8859-7";
        case 50220:
            return "ISO-2022-JP";
        case 51932:
            return "EUC-JP";
        case 51936:
            return "GB2312";
        case 51949:
            return "EUC-KR";
        case 54936:
            return "GB18030";
        default:
            return "CP" + QByteArray::number(codePage);
    }
}

// Symbol and Wingdings bytes that list bullets use, as the characters they show.
QChar symbolCharacter(unsigned char byte) {
    switch (byte) {
        case 0xB7:
            return QChar(0x2022);  // bullet
        case 0xA7:
            return QChar(0x25AA);  // small square
        case 0xA8:
            return QChar(0x25FB);  // white square
        case 0x6C:
            return QChar(0x25CF);  // black circle
        case 0x6E:
            return QChar(0x25A0);  // black square
        case 0x71:
            return QChar(0x2751);  // shadowed square
        case 0x76:
            return QChar(0x2756);  // diamond
        case 0xD8:
            return QChar(0x27A2);  // arrowhead
        case 0xFC:
            return QChar(0x2714);  // check mark
        default:
            return byte < 0x80 ? QChar(byte) : QChar(0xF000 + byte);
    }
}

}  // namespace

int codePageForCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;
        case 2:
            return kSymbolCodePage;
        case 77:
            return 10000;
        case 78:
            return 10001;
        case 79:
            return 10003;
        case 80:
            return 10008;
        case 81:
            return 10002;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:
            return 850;
        default:
            return 0;
    }
}

bool isDoubleByteCodePage(int codePage) {
    switch (codePage) {
        case 932:
        case 936:
        case 949:
        case 950:
        case 1361:
        case 10001:
        case 10002:
        case 10003:
        case 10008:
        case 20936:
        case 54936:
            return true;
        default:
            return false;
    }
}

bool isLeadByte(int codePage, unsigned char byte) {
    switch (codePage) {
        case 932:
        case 10001:
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 1361:
            return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xF9);
        default:
            return isDoubleByteCodePage(codePage) && byte >= 0x81 && byte <= 0xFE;
    }
}

CodePageDecoder::~CodePageDecoder() {
    for (const auto& [codePage, converter] : converters_) {
        if (converter != kNoConverter) iconv_close(static_cast<iconv_t>(converter));
    }
}

void* CodePageDecoder::converterFor(int codePage) {
    auto found = converters_.find(codePage);
    if (found != converters_.end()) return found->second;
    const char* utf16 = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
    // Each code page keeps its own handle (or none), so each is closed once.
    iconv_t converter = iconv_open(utf16, iconvName(codePage).constData());
    converters_.emplace(codePage, converter);
    return converter;
}

void CodePageDecoder::decode(int codePage, const char* bytes, qsizetype length, QString& out) {
    if (codePage == kSymbolCodePage) {
        for (qsizetype i = 0; i < length; ++i) out.append(symbolCharacter(uchar(bytes[i])));
        return;
    }
    auto converter = static_cast<iconv_t>(converterFor(codePage));
    if (converter == kNoConverter) converter = static_cast<iconv_t>(converterFor(1252));
    if (converter == kNoConverter) {
        out.append(QString::fromLatin1(bytes, length));
        return;
    }
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    const qsizetype start = out.size();
    // Every byte gives at most one UTF-16 unit in the code pages RTF names, UTF-8 included.
    out.resize(start + length + 1);
    char* input = const_cast<char*>(bytes);
    size_t inputLeft = size_t(length);
    char* output = reinterpret_cast<char*>(out.data() + start);
    size_t outputLeft = size_t(length + 1) * 2;
    while (inputLeft > 0) {
        if (iconv(converter, &input, &inputLeft, &output, &outputLeft) != size_t(-1)) break;
        if (errno == E2BIG || outputLeft < 2) break;
        // An undefined byte, or a lead byte with no trail byte left: one replacement character.
        *reinterpret_cast<char16_t*>(output) = 0xFFFD;
        output += 2;
        outputLeft -= 2;
        ++input;
        --inputLeft;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(start + (reinterpret_cast<QChar*>(output) - (out.data() + start)));
}

}  // namespace rtf
