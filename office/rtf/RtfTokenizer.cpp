#include "RtfTokenizer.h"

#include <algorithm>

#include "CodePage.h"
#include "RtfLimits.h"

namespace rtf {

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Tokenizer::Tokenizer(const QByteArray& input) : data_(input.constData()), size_(input.size()) {}

Token Tokenizer::next() {
    while (position_ < size_) {
        const char c = data_[position_];
        switch (c) {
            case '{':
                ++position_;
                return {Token::GroupStart};
            case '}':
                ++position_;
                return {Token::GroupEnd};
            case '\\':
                return readControl();
            case '\r':
            case '\n':
            case '\0':
                ++position_;
                continue;
            default:
                return readText();
        }
    }
    return {Token::End};
}

Token Tokenizer::readText() {
    Token token{Token::Text};
    token.data = data_ + position_;
    const qsizetype start = position_;
    while (position_ < size_) {
        const char c = data_[position_];
        if (c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0') break;
        if (doubleByteCodePage_ && isLeadByte(doubleByteCodePage_, uchar(c)) &&
            position_ + 1 < size_) {
            position_ += 2;
            continue;
        }
        ++position_;
    }
    token.length = position_ - start;
    return token;
}

Token Tokenizer::readControl() {
    ++position_;  // the backslash
    if (position_ >= size_) return {Token::End};
    const char first = data_[position_];
    if (!isLetter(first)) {
        ++position_;
        if (first == '\'') {
            int high = position_ < size_ ? hexValue(data_[position_]) : -1;
            int low = position_ + 1 < size_ ? hexValue(data_[position_ + 1]) : -1;
            if (high < 0 || low < 0) return {Token::Text};  // a broken escape shows nothing
            position_ += 2;
            Token token{Token::HexByte};
            token.parameter = high * 16 + low;
            return token;
        }
        Token token{Token::ControlSymbol};
        // A backslash before a line end is an old way of writing \par.
        if (first == '\r' || first == '\n') {
            token.kind = Token::ControlWord;
            token.word = "par";
            return token;
        }
        token.word = std::string_view(data_ + position_ - 1, 1);
        return token;
    }

    Token token{Token::ControlWord};
    const qsizetype start = position_;
    while (position_ < size_ && isLetter(data_[position_])) ++position_;
    // Longer words are not RTF; they keep a name that matches nothing.
    token.word = std::string_view(
        data_ + start, size_t(qMin<qsizetype>(position_ - start, kMaxControlWordLength + 1)));
    bool negative = false;
    if (position_ + 1 < size_ && data_[position_] == '-' && isDigit(data_[position_ + 1])) {
        negative = true;
        ++position_;
    }
    if (position_ < size_ && isDigit(data_[position_])) {
        token.hasParameter = true;
        qint64 value = 0;
        while (position_ < size_ && isDigit(data_[position_])) {
            value = qMin<qint64>(value * 10 + (data_[position_] - '0'), kMaxParameter);
            ++position_;
        }
        token.parameter = int(negative ? -value : value);
    }
    if (position_ < size_ && data_[position_] == ' ') ++position_;

    if (token.word == "bin" && token.hasParameter) {
        token.kind = Token::Binary;
        token.data = data_ + position_;
        token.length = std::clamp<qsizetype>(token.parameter, 0, size_ - position_);
        position_ += token.length;
    }
    return token;
}

}  // namespace rtf
