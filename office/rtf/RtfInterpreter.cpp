#include "RtfInterpreter.h"

#include <QTextDocument>
#include <algorithm>
#include <utility>

#include "RtfLimits.h"
#include "RtfPicture.h"

namespace rtf {

namespace {

constexpr int kMaxIndent = 31680;  // 22 inches, in twips
constexpr int kMaxFontNameBytes = 256;
constexpr int kMaxPictureDisplay = 4000;
constexpr int kMaxTabStops = 64;

int boundedTwips(int value) { return std::clamp(value, -kMaxIndent, kMaxIndent); }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename State>
bool sameParagraph(const State& a, const State& b) {
    return a.alignment == b.alignment && a.leftIndent == b.leftIndent &&
           a.rightIndent == b.rightIndent && a.firstIndent == b.firstIndent &&
           a.spaceBefore == b.spaceBefore && a.spaceAfter == b.spaceAfter &&
           a.tabStops == b.tabStops;
}

template <typename State>
bool sameLook(const State& a, const State& b) {
    return a.font == b.font && a.halfPoints == b.halfPoints && a.foreground == b.foreground &&
           a.background == b.background && a.vertical == b.vertical && a.bold == b.bold &&
           a.italic == b.italic && a.underline == b.underline && a.strike == b.strike &&
           a.link == b.link;
}

// The target of a HYPERLINK field: its first quoted argument (or first word); "#name" for
// a place inside the document (\l). Other fields give none: their shown result is enough.
QString hyperlinkTarget(const QByteArray& instruction) {
    const QByteArray text = instruction.trimmed();
    if (!text.toUpper().startsWith("HYPERLINK")) return {};
    QByteArray rest = text.mid(9).trimmed();
    const bool local = rest.startsWith("\\l");
    if (local) rest = rest.mid(2).trimmed();
    QByteArray target;
    if (rest.startsWith('"')) {
        const qsizetype end = rest.indexOf('"', 1);
        target = rest.mid(1, end < 0 ? -1 : end - 1);
    } else {
        target = rest.split(' ').value(0);
    }
    if (target.isEmpty()) return {};
    return (local ? QStringLiteral("#") : QString()) + QString::fromUtf8(target);
}

}  // namespace

Interpreter::Interpreter(const QByteArray& input, QTextDocument& document)
    : tokenizer_(input), builder_(document) {
    stack_.reserve(64);
}

void Interpreter::run() {
    while (!done_) {
        const int codePage = effectiveCodePage();
        const bool doubleByte = !stack_.empty() && state().destination == Destination::Body &&
                                isDoubleByteCodePage(codePage);
        tokenizer_.setDoubleByteCodePage(doubleByte ? codePage : 0);
        const Token token = tokenizer_.next();
        if (token.kind == Token::End) break;
        if (stack_.empty()) {
            // Only the document's own group is read; bytes around it are not RTF.
            if (token.kind == Token::GroupStart) startGroup();
            continue;
        }
        if (skip_ > 0 && token.kind != Token::GroupStart && token.kind != Token::GroupEnd) {
            skipFallback(token);
            continue;
        }
        switch (token.kind) {
            case Token::GroupStart:
                flushBytes();
                skip_ = 0;
                startGroup();
                break;
            case Token::GroupEnd:
                flushBytes();
                skip_ = 0;
                if (!endGroup()) done_ = true;
                break;
            case Token::Text:
                textBytes(token.data, token.length);
                break;
            case Token::HexByte: {
                const char byte = char(token.parameter);
                textBytes(&byte, 1);
                break;
            }
            case Token::Binary:
                if (state().destination == Destination::Picture && !picture_.tooLarge) {
                    if (picture_.data.size() + token.length > kMaxPictureBytes) {
                        picture_.tooLarge = true;
                    } else {
                        picture_.data.append(token.data, token.length);
                    }
                }
                break;
            case Token::ControlSymbol:
                controlSymbol(token.word.front());
                break;
            case Token::ControlWord:
                flushBytes();
                controlWord(token);
                break;
            case Token::End:
                break;
        }
    }
    // Whatever was open when the input ended is kept.
    flushBytes();
    if (highSurrogate_) addCharacter(0xFFFD);
    builder_.finish(blockFormat());
}

void Interpreter::startGroup() {
    if (int(stack_.size()) >= kMaxGroupDepth) {
        ++hiddenDepth_;
        return;
    }
    GroupState next = stack_.empty() ? GroupState() : state();
    next.startsDestination = false;
    next.starred = false;
    next.firstWord = true;
    stack_.push_back(std::move(next));
    codePageKnown_ = false;
}

bool Interpreter::endGroup() {
    if (hiddenDepth_ > 0) {
        --hiddenDepth_;
        return true;
    }
    const GroupState closing = std::move(stack_.back());
    stack_.pop_back();
    codePageKnown_ = false;
    if (closing.startsDestination) {
        switch (closing.destination) {
            case Destination::FontTable:
                finishFontEntry();
                break;
            case Destination::Picture:
                finishPicture();
                break;
            case Destination::FieldInstruction:
                finishFieldInstruction();
                break;
            default:
                break;
        }
    }
    return !stack_.empty();
}

void Interpreter::setDestination(Destination destination) {
    state().destination = destination;
    state().startsDestination = true;
    codePageKnown_ = false;
}

void Interpreter::setDocumentCodePage(int codePage) {
    documentCodePage_ = codePage;
    codePageKnown_ = false;
}

void Interpreter::controlWord(const Token& token) {
    const Keyword keyword = keywordOf(token.word);
    GroupState& group = state();
    const bool starred = group.starred;
    group.starred = false;
    const bool firstWord = group.firstWord;
    group.firstWord = false;

    switch (group.destination) {
        case Destination::Skip:
            return;
        case Destination::Upr:
            if (keyword == Keyword::Ud) setDestination(group.beforeUpr);
            return;
        default:
            break;
    }
    if (starred && !isReadStarredDestination(keyword)) {
        setDestination(Destination::Skip);
        return;
    }
    if (keyword == Keyword::SkippedDestination) {
        // A word that only starts a destination when it opens its group; elsewhere it is
        // a stray word and changes nothing.
        if (firstWord || group.destination != Destination::Body) setDestination(Destination::Skip);
        return;
    }
    switch (group.destination) {
        case Destination::FontTable:
            fontTableWord(keyword, token);
            return;
        case Destination::Picture:
            pictureWord(keyword, token);
            return;
        case Destination::ColourTable:
            if (keyword == Keyword::Red) red_ = std::clamp(token.parameter, 0, 255);
            if (keyword == Keyword::Green) green_ = std::clamp(token.parameter, 0, 255);
            if (keyword == Keyword::Blue) blue_ = std::clamp(token.parameter, 0, 255);
            colourGiven_ = colourGiven_ || keyword == Keyword::Red || keyword == Keyword::Green ||
                           keyword == Keyword::Blue;
            return;
        case Destination::FieldInstruction:
            if (keyword == Keyword::Unicode) fieldInstruction_.append('?');
            return;
        default:
            bodyWord(keyword, token);
            return;
    }
}

void Interpreter::fontTableWord(Keyword keyword, const Token& token) {
    switch (keyword) {
        case Keyword::Font:
            finishFontEntry();
            fontEntry_ = FontEntry();
            fontEntry_.open = true;
            fontEntry_.index = token.parameter;
            break;
        case Keyword::FontCharset:
            fontEntry_.charset = token.parameter;
            break;
        case Keyword::FontCodePage:
            fontEntry_.codePage = token.parameter;
            break;
        default:
            break;
    }
}

void Interpreter::pictureWord(Keyword keyword, const Token& token) {
    switch (keyword) {
        case Keyword::PngBlip:
            picture_.format = "png";
            break;
        case Keyword::JpegBlip:
            picture_.format = "jpeg";
            break;
        case Keyword::PictureGoalWidth:
            picture_.goalWidth = token.parameter;
            break;
        case Keyword::PictureGoalHeight:
            picture_.goalHeight = token.parameter;
            break;
        case Keyword::PictureScaleX:
            picture_.scaleX = token.parameter;
            break;
        case Keyword::PictureScaleY:
            picture_.scaleY = token.parameter;
            break;
        default:
            break;
    }
}

void Interpreter::bodyWord(Keyword keyword, const Token& token) {
    GroupState& group = state();
    CharacterState& character = group.character;
    ParagraphState& paragraph = group.paragraph;
    const int value = token.parameter;
    const bool on = !token.hasParameter || value != 0;
    // Associated properties (\ab, \afs ...) are those of the double-byte text here, and of
    // right-to-left or high-ANSI text, which this reader shows in the main font, otherwise.
    const bool associatedApplies = !character.rightToLeft && character.runType != RunType::High;

    switch (keyword) {
        case Keyword::Ansi:
            setDocumentCodePage(1252);
            break;
        case Keyword::Mac:
            setDocumentCodePage(10000);
            break;
        case Keyword::Pc:
            setDocumentCodePage(437);
            break;
        case Keyword::Pca:
            setDocumentCodePage(850);
            break;
        case Keyword::AnsiCodePage:
            if (value > 0) setDocumentCodePage(value);
            break;
        case Keyword::DefaultFont:
            defaultFont_ = value;
            codePageKnown_ = false;
            break;
        case Keyword::FontTable:
            setDestination(Destination::FontTable);
            fontEntry_ = FontEntry();
            break;
        case Keyword::ColourTable:
            setDestination(Destination::ColourTable);
            colours_.clear();
            colourGiven_ = false;
            red_ = green_ = blue_ = 0;
            break;
        case Keyword::Upr:
            group.beforeUpr = group.destination;
            setDestination(Destination::Upr);
            break;

        case Keyword::Par:
            endParagraph();
            break;
        case Keyword::Sect:
            endParagraph();
            break;
        case Keyword::Line:
            addCharacter(0x2028);
            break;
        case Keyword::Tab:
            addCharacter('\t');
            break;
        case Keyword::Emdash:
            addCharacter(0x2014);
            break;
        case Keyword::Endash:
            addCharacter(0x2013);
            break;
        case Keyword::Lquote:
            addCharacter(0x2018);
            break;
        case Keyword::Rquote:
            addCharacter(0x2019);
            break;
        case Keyword::Ldblquote:
            addCharacter(0x201C);
            break;
        case Keyword::Rdblquote:
            addCharacter(0x201D);
            break;
        case Keyword::Bullet:
            addCharacter(0x2022);
            break;
        case Keyword::Emspace:
            addCharacter(0x2003);
            break;
        case Keyword::Enspace:
            addCharacter(0x2002);
            break;
        case Keyword::Qmspace:
            addCharacter(0x2005);
            break;
        case Keyword::Unicode:
            addUnicode(value);
            skip_ = group.unicodeSkip;
            break;
        case Keyword::UnicodeSkip:
            group.unicodeSkip = std::max(0, value);
            break;

        case Keyword::Plain: {
            const QString link = character.link;
            character = CharacterState();
            character.link = link;  // a field's link outlives the formatting reset inside it
            codePageKnown_ = false;
            break;
        }
        case Keyword::Bold:
            character.bold = on;
            break;
        case Keyword::Italic:
            character.italic = on;
            break;
        case Keyword::Underline:
            character.underline = on;
            break;
        case Keyword::UnderlineNone:
            character.underline = false;
            break;
        case Keyword::Strike:
            character.strike = on;
            break;
        case Keyword::Hidden:
            character.hidden = on;
            break;
        case Keyword::FontSize:
            character.halfPoints = token.hasParameter ? std::clamp(value, 2, 800) : 24;
            break;
        case Keyword::Foreground:
            character.foreground = value;
            break;
        case Keyword::Background:
        case Keyword::Highlight:
            character.background = value;
            break;
        case Keyword::Super:
            character.vertical = 1;
            break;
        case Keyword::Sub:
            character.vertical = -1;
            break;
        case Keyword::NoSuperSub:
            character.vertical = 0;
            break;
        case Keyword::AssocBold:
            if (associatedApplies) character.bold = on;
            break;
        case Keyword::AssocItalic:
            if (associatedApplies) character.italic = on;
            break;
        case Keyword::AssocFontSize:
            if (associatedApplies) character.halfPoints = std::clamp(value, 2, 800);
            break;
        case Keyword::AssocFont:
            if (!character.rightToLeft && character.runType == RunType::DoubleByte) {
                character.eastAsiaFont = value;
                codePageKnown_ = false;
            }
            break;
        case Keyword::Font:
            character.font = value;
            codePageKnown_ = false;
            break;
        case Keyword::LowAnsi:
            character.runType = RunType::Low;
            codePageKnown_ = false;
            break;
        case Keyword::HighAnsi:
            character.runType = RunType::High;
            codePageKnown_ = false;
            break;
        case Keyword::DoubleByte:
            character.runType = RunType::DoubleByte;
            codePageKnown_ = false;
            break;
        case Keyword::RightToLeft:
            character.rightToLeft = true;
            break;
        case Keyword::LeftToRight:
            character.rightToLeft = false;
            break;

        case Keyword::Pard:
            paragraph = ParagraphState();
            break;
        case Keyword::AlignLeft:
            paragraph.alignment = Qt::AlignLeft;
            break;
        case Keyword::AlignCentre:
            paragraph.alignment = Qt::AlignHCenter;
            break;
        case Keyword::AlignRight:
            paragraph.alignment = Qt::AlignRight;
            break;
        case Keyword::AlignJustify:
            paragraph.alignment = Qt::AlignJustify;
            break;
        case Keyword::LeftIndent:
            paragraph.leftIndent = boundedTwips(value);
            break;
        case Keyword::RightIndent:
            paragraph.rightIndent = boundedTwips(value);
            break;
        case Keyword::FirstIndent:
            paragraph.firstIndent = boundedTwips(value);
            break;
        case Keyword::SpaceBefore:
            paragraph.spaceBefore = std::clamp(value, 0, kMaxIndent);
            break;
        case Keyword::SpaceAfter:
            paragraph.spaceAfter = std::clamp(value, 0, kMaxIndent);
            break;
        case Keyword::TabStop:
            if (paragraph.tabStops.size() < kMaxTabStops && value > 0) {
                paragraph.tabStops.append(std::min(value, 2 * kMaxIndent));
            }
            break;
        case Keyword::InTable:
            paragraph.inTable = true;
            break;
        case Keyword::NestingLevel:
            paragraph.inTable = value > 0;
            break;

        case Keyword::RowDefaults:
            rowDefinitions_.clear();
            cellDefinition_ = CellDefinition();
            rowLeft_ = 0;
            break;
        case Keyword::RowLeft:
            rowLeft_ = boundedTwips(value);
            break;
        case Keyword::MergeWithPrevious:
            cellDefinition_.mergesWithPrevious = true;
            break;
        case Keyword::MergeWithAbove:
            cellDefinition_.mergesWithAbove = true;
            break;
        case Keyword::CellEdge:
            cellDefinition_.rightEdge = std::clamp(value - rowLeft_, 0, 2 * kMaxIndent);
            if (int(rowDefinitions_.size()) < kMaxCellsInRow) {
                rowDefinitions_.push_back(cellDefinition_);
            }
            cellDefinition_ = CellDefinition();
            break;
        case Keyword::Cell:
            if (countParagraph()) builder_.endCell(blockFormat());
            break;
        case Keyword::NestedCell:
            // A table inside a cell is shown as that cell's paragraphs, one for each of its cells.
            if (countParagraph()) builder_.endParagraph(blockFormat(), true);
            break;
        case Keyword::Row:
            builder_.endRow(rowDefinitions_);
            break;

        case Keyword::FieldInstruction:
            setDestination(Destination::FieldInstruction);
            fieldInstruction_.clear();
            break;
        case Keyword::FieldResult:
        case Keyword::ListText:
        case Keyword::ObjectResult:
        case Keyword::ShapePicture:
            setDestination(Destination::Body);
            break;
        case Keyword::Picture:
            setDestination(Destination::Picture);
            picture_ = PictureState();
            break;
        default:
            break;
    }
}

void Interpreter::controlSymbol(char symbol) {
    // Escaped text may be the trail byte of a two-byte character: no flush before it.
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        state().starred = false;
        textBytes(&symbol, 1);
        return;
    }
    flushBytes();
    GroupState& group = state();
    group.starred = symbol == '*';
    const bool body = group.destination == Destination::Body;
    if (symbol == '~' && body) addCharacter(0x00A0);
    if (symbol == '_' && body) addCharacter(0x2011);
    // \- (optional hyphen), \| and \: (index marks) and unknown symbols show nothing.
}

void Interpreter::textBytes(const char* data, qsizetype length) {
    GroupState& group = state();
    switch (group.destination) {
        case Destination::Body:
            if (!group.character.hidden) bytes_.append(data, length);
            break;
        case Destination::FontTable:
            for (qsizetype i = 0; i < length; ++i) {
                if (data[i] == ';') {
                    finishFontEntry();
                } else if (fontEntry_.open && fontEntry_.name.size() < kMaxFontNameBytes) {
                    fontEntry_.name.append(data[i]);
                }
            }
            break;
        case Destination::ColourTable:
            for (qsizetype i = 0; i < length; ++i) {
                if (data[i] != ';') continue;
                if (int(colours_.size()) < kMaxColours) {
                    colours_.push_back(colourGiven_ ? QColor(red_, green_, blue_) : QColor());
                }
                red_ = green_ = blue_ = 0;
                colourGiven_ = false;
            }
            break;
        case Destination::Picture:
            for (qsizetype i = 0; i < length && !picture_.tooLarge; ++i) {
                const int nibble = hexValue(data[i]);
                if (nibble < 0) continue;
                if (picture_.highNibble < 0) {
                    picture_.highNibble = nibble;
                    continue;
                }
                picture_.data.append(char(picture_.highNibble * 16 + nibble));
                picture_.highNibble = -1;
                if (picture_.data.size() >= kMaxPictureBytes) picture_.tooLarge = true;
            }
            break;
        case Destination::FieldInstruction:
            if (fieldInstruction_.size() + length <= kMaxFieldInstruction) {
                fieldInstruction_.append(data, length);
            }
            break;
        case Destination::Skip:
        case Destination::Upr:
            break;
    }
}

void Interpreter::skipFallback(const Token& token) {
    if (token.kind == Token::Text) {
        const qsizetype skipped = std::min<qsizetype>(skip_, token.length);
        skip_ -= int(skipped);
        if (skipped < token.length) textBytes(token.data + skipped, token.length - skipped);
        return;
    }
    --skip_;
}

void Interpreter::flushBytes() {
    if (bytes_.isEmpty()) return;
    QString text;
    const int codePage = effectiveCodePage();
    bool ascii = true;
    for (char c : std::as_const(bytes_)) {
        if (uchar(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii && codePage != kSymbolCodePage) {
        text = QString::fromLatin1(bytes_);
    } else {
        decoder_.decode(codePage, bytes_.constData(), bytes_.size(), text);
    }
    bytes_.clear();
    addText(text);
}

void Interpreter::addText(const QString& text) {
    if (text.isEmpty() || state().character.hidden) return;
    if (highSurrogate_) {
        highSurrogate_ = 0;
        addText(QString(QChar(0xFFFD)));
    }
    // Escaped line ends break paragraphs; other control characters show nothing.
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 || c == '\t') continue;
        if (i > start) addText(text.mid(start, i - start));
        start = i + 1;
        if (c == '\r' || c == '\n') {
            if (c == '\n' && i > 0 && text.at(i - 1) == u'\r') continue;
            endParagraph();
        }
    }
    if (start > 0) {
        if (start < text.size()) addText(text.mid(start));
        return;
    }
    textLength_ += text.size();
    if (textLength_ > kMaxTextCharacters) {
        done_ = true;
        return;
    }
    const QTextCharFormat& format = characterFormat();  // may start a new format id
    builder_.addText(text, format, formatId_);
}

void Interpreter::addCharacter(char16_t character) {
    if (!stack_.empty() && state().destination == Destination::Body) {
        addText(QString(QChar(character)));
    }
}

void Interpreter::addUnicode(int value) {
    if (value < 0) value += 65536;
    const char16_t unit = value >= 0 && value <= 0xFFFF ? char16_t(value) : char16_t(0xFFFD);
    if (QChar::isHighSurrogate(unit)) {
        if (highSurrogate_) addCharacter(0xFFFD);
        highSurrogate_ = unit;
        return;
    }
    if (QChar::isLowSurrogate(unit)) {
        if (!highSurrogate_) {
            addCharacter(0xFFFD);
            return;
        }
        const QChar pair[2] = {QChar(highSurrogate_), QChar(unit)};
        highSurrogate_ = 0;
        if (state().destination == Destination::Body) addText(QString(pair, 2));
        return;
    }
    addCharacter(unit);
}

bool Interpreter::countParagraph() {
    if (highSurrogate_) {
        highSurrogate_ = 0;
        addCharacter(0xFFFD);
    }
    if (++paragraphs_ > kMaxParagraphs) {
        done_ = true;
        return false;
    }
    return true;
}

void Interpreter::endParagraph() {
    if (countParagraph()) builder_.endParagraph(blockFormat(), state().paragraph.inTable);
}

void Interpreter::finishFontEntry() {
    if (!fontEntry_.open) return;
    fontEntry_.open = false;
    if (int(fonts_.size()) >= kMaxFonts && !fonts_.count(fontEntry_.index)) return;
    Font font;
    font.codePage = fontEntry_.codePage > 0 ? fontEntry_.codePage
                                            : codePageForCharset(std::max(0, fontEntry_.charset));
    if (fontEntry_.charset == 1 || (fontEntry_.charset < 0 && fontEntry_.codePage <= 0)) {
        font.codePage = 0;
    }
    const int nameCodePage = font.codePage ? font.codePage : documentCodePage_;
    decoder_.decode(nameCodePage == kSymbolCodePage ? 1252 : nameCodePage,
                    fontEntry_.name.constData(), fontEntry_.name.size(), font.name);
    font.name = font.name.trimmed();
    fonts_[fontEntry_.index] = font;
    codePageKnown_ = false;
}

void Interpreter::finishPicture() {
    if (picture_.format.isEmpty() || picture_.tooLarge || picture_.data.isEmpty()) return;
    if (stack_.empty() || state().destination != Destination::Body) return;
    if (state().character.hidden) return;
    const QImage image = decodePicture(picture_.data, picture_.format, pictureBudget_);
    if (image.isNull()) return;
    int width = image.width();
    int height = image.height();
    if (picture_.goalWidth > 0 && picture_.goalHeight > 0) {
        width = int(qint64(picture_.goalWidth) * std::clamp(picture_.scaleX, 1, 1000) / 100 /
                    kTwipsPerPixel);
        height = int(qint64(picture_.goalHeight) * std::clamp(picture_.scaleY, 1, 1000) / 100 /
                     kTwipsPerPixel);
    }
    builder_.addImage(image, std::clamp(width, 1, kMaxPictureDisplay),
                      std::clamp(height, 1, kMaxPictureDisplay));
    picture_ = PictureState();
}

void Interpreter::finishFieldInstruction() {
    const QString target = hyperlinkTarget(fieldInstruction_);
    fieldInstruction_.clear();
    if (target.isEmpty() || stack_.empty()) return;
    state().character.link = target;
}

int Interpreter::fontCodePage(int font) const {
    const auto found = fonts_.find(font < 0 ? defaultFont_ : font);
    if (found == fonts_.end() || found->second.codePage == 0) return documentCodePage_;
    return found->second.codePage;
}

int Interpreter::effectiveCodePage() {
    if (codePageKnown_) return codePage_;
    codePage_ = documentCodePage_;
    if (!stack_.empty()) {
        const CharacterState& character = state().character;
        codePage_ = fontCodePage(character.font);
        // Double-byte text takes its associated east-Asian font's code page, when that
        // font has one, whatever the main font is.
        if (character.runType == RunType::DoubleByte && character.eastAsiaFont >= 0) {
            const int eastAsia = fontCodePage(character.eastAsiaFont);
            if (isDoubleByteCodePage(eastAsia)) codePage_ = eastAsia;
        }
    }
    codePageKnown_ = true;
    return codePage_;
}

const QTextCharFormat& Interpreter::characterFormat() {
    const CharacterState& character = state().character;
    if (formatId_ >= 0 && sameLook(character, formatState_)) return format_;
    formatState_ = character;
    ++formatId_;
    QTextCharFormat format;
    const auto font = fonts_.find(character.font < 0 ? defaultFont_ : character.font);
    if (font != fonts_.end() && !font->second.name.isEmpty()) {
        format.setFontFamilies({font->second.name});
    }
    format.setFontPointSize(character.halfPoints / 2.0);
    if (character.bold) format.setFontWeight(QFont::Bold);
    if (character.italic) format.setFontItalic(true);
    if (character.underline) format.setFontUnderline(true);
    if (character.strike) format.setFontStrikeOut(true);
    if (character.vertical > 0) format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (character.vertical < 0) format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    auto colour = [this](int index) {
        return index > 0 && index < int(colours_.size()) ? colours_[index] : QColor();
    };
    if (colour(character.foreground).isValid()) format.setForeground(colour(character.foreground));
    if (colour(character.background).isValid()) format.setBackground(colour(character.background));
    if (!character.link.isEmpty()) {
        format.setAnchor(true);
        format.setAnchorHref(character.link);
    }
    format_ = format;
    return format_;
}

const QTextBlockFormat& Interpreter::blockFormat() {
    static const QTextBlockFormat none;
    if (stack_.empty()) return none;
    const ParagraphState& paragraph = stack_.back().paragraph;
    if (blockFormatKnown_ && sameParagraph(paragraph, blockState_)) return blockFormat_;
    blockFormatKnown_ = true;
    blockState_ = paragraph;
    QTextBlockFormat& format = blockFormat_;
    format = QTextBlockFormat();
    format.setAlignment(paragraph.alignment);
    if (paragraph.leftIndent) format.setLeftMargin(paragraph.leftIndent / kTwipsPerPixel);
    if (paragraph.rightIndent) format.setRightMargin(paragraph.rightIndent / kTwipsPerPixel);
    if (paragraph.firstIndent) format.setTextIndent(paragraph.firstIndent / kTwipsPerPixel);
    if (paragraph.spaceBefore) format.setTopMargin(paragraph.spaceBefore / kTwipsPerPixel);
    if (paragraph.spaceAfter) format.setBottomMargin(paragraph.spaceAfter / kTwipsPerPixel);
    if (!paragraph.tabStops.isEmpty()) {
        QList<QTextOption::Tab> tabs;
        for (int stop : paragraph.tabStops) {
            tabs.append(QTextOption::Tab(stop / kTwipsPerPixel, QTextOption::LeftTab));
        }
        format.setTabPositions(tabs);
    }
    return format;
}

}  // namespace rtf
