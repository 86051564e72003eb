#pragma once

#include <QString>
#include <unordered_map>

// Windows code pages as RTF names them (\ansicpgN, \cpgN, \fcharsetN), decoded through the C
// library's iconv, which knows every code page Word and LibreOffice write (GBK, Big5, Shift-JIS,
// UHC, the Windows and Mac single-byte pages).
namespace rtf {

// The code page pseudo-number for fonts of the symbol charset, whose bytes are glyph numbers.
constexpr int kSymbolCodePage = 42;

// The code page of a font's \fcharsetN; 0 when the charset means "the document's default".
int codePageForCharset(int charset);

// Whether a byte opens a two-byte character in the code page (GBK, Big5, Shift-JIS, UHC).
bool isLeadByte(int codePage, unsigned char byte);
bool isDoubleByteCodePage(int codePage);

class CodePageDecoder {
  public:
    CodePageDecoder() = default;
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;
    ~CodePageDecoder();

    // Appends the text of the bytes to out. Bytes the code page does not define become U+FFFD;
    // an unknown code page is read as Windows-1252.
    void decode(int codePage, const char* bytes, qsizetype length, QString& out);

  private:
    void* converterFor(int codePage);

    std::unordered_map<int, void*> converters_;
};

}  // namespace rtf
