#pragma once

#include <QByteArray>
#include <string_view>

namespace rtf {

struct Token {
    enum Kind { End, GroupStart, GroupEnd, ControlWord, ControlSymbol, HexByte, Text, Binary };
    Kind kind = End;
    std::string_view word;  // ControlWord: the letters; ControlSymbol: the one character
    int parameter = 0;      // ControlWord: its number, saturated; HexByte: the byte
    bool hasParameter = false;
    const char* data = nullptr;  // Text and Binary: the bytes, inside the input
    qsizetype length = 0;
};

// Splits RTF bytes into tokens. Text comes in runs of literal bytes; a two-byte character
// of the current code page stays whole even when its trail byte is '\\', '{' or '}'.
class Tokenizer {
  public:
    explicit Tokenizer(const QByteArray& input);

    Token next();
    // The code page whose lead bytes keep their trail byte (0: none).
    void setDoubleByteCodePage(int codePage) { doubleByteCodePage_ = codePage; }
    qsizetype position() const { return position_; }

  private:
    Token readControl();
    Token readText();

    const char* data_;
    qsizetype size_;
    qsizetype position_ = 0;
    int doubleByteCodePage_ = 0;
};

}  // namespace rtf
