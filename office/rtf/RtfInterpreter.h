#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <unordered_map>
#include <vector>

#include "CodePage.h"
#include "RtfDocumentBuilder.h"
#include "RtfKeywords.h"
#include "RtfLimits.h"
#include "RtfTokenizer.h"

class QTextDocument;

namespace rtf {

// Reads RTF tokens with a stack of group states, one loop and no recursion, and hands
// text, paragraphs, cells and pictures to the document builder.
class Interpreter {
  public:
    Interpreter(const QByteArray& input, QTextDocument& document);
    void run();

  private:
    enum class Destination : quint8 {
        Body,
        FontTable,
        ColourTable,
        Skip,
        Picture,
        FieldInstruction,
        Upr
    };
    enum class RunType : quint8 { Low, High, DoubleByte };

    struct CharacterState {
        int font = -1;  // -1: the document's default font
        int eastAsiaFont = -1;
        int halfPoints = 24;
        int foreground = 0;  // colour table indices; 0 is "automatic"
        int background = 0;
        qint8 vertical = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strike = false;
        bool hidden = false;
        bool rightToLeft = false;
        RunType runType = RunType::Low;
        QString link;
    };
    struct ParagraphState {
        Qt::Alignment alignment = Qt::AlignLeft;
        int leftIndent = 0;  // twips
        int rightIndent = 0;
        int firstIndent = 0;
        int spaceBefore = 0;
        int spaceAfter = 0;
        QList<int> tabStops;  // twips
        bool inTable = false;
    };
    struct GroupState {
        Destination destination = Destination::Body;
        Destination beforeUpr = Destination::Body;
        bool startsDestination = false;
        bool starred = false;   // \* seen, the next word decides
        bool firstWord = true;  // no control word read in this group yet
        int unicodeSkip = 1;
        CharacterState character;
        ParagraphState paragraph;
    };
    struct Font {
        QString name;
        int codePage = 0;  // 0: the document's code page
    };
    struct FontEntry {
        bool open = false;
        int index = 0;
        int charset = -1;
        int codePage = 0;
        QByteArray name;
    };
    struct PictureState {
        QByteArray data;
        QByteArray format;  // "png", "jpeg", or empty for kinds not shown
        int highNibble = -1;
        int goalWidth = 0;  // twips
        int goalHeight = 0;
        int scaleX = 100;
        int scaleY = 100;
        bool tooLarge = false;
    };

    GroupState& state() { return stack_.back(); }
    void startGroup();
    bool endGroup();  // false once the outermost group has closed
    void setDestination(Destination destination);
    void setDocumentCodePage(int codePage);

    void controlWord(const Token& token);
    void bodyWord(Keyword keyword, const Token& token);
    void fontTableWord(Keyword keyword, const Token& token);
    void pictureWord(Keyword keyword, const Token& token);
    void controlSymbol(char symbol);
    void textBytes(const char* data, qsizetype length);
    void skipFallback(const Token& token);

    void flushBytes();
    void addText(const QString& text);
    void addCharacter(char16_t character);
    void addUnicode(int value);
    bool countParagraph();  // false once there are too many paragraphs to read on
    void endParagraph();
    void finishFontEntry();
    void finishPicture();
    void finishFieldInstruction();

    int effectiveCodePage();
    int fontCodePage(int font) const;
    const QTextCharFormat& characterFormat();
    const QTextBlockFormat& blockFormat();

    Tokenizer tokenizer_;
    DocumentBuilder builder_;
    CodePageDecoder decoder_;
    std::vector<GroupState> stack_;
    int hiddenDepth_ = 0;  // groups past the depth limit, sharing the deepest state
    bool done_ = false;

    int documentCodePage_ = 1252;
    int defaultFont_ = -1;
    std::unordered_map<int, Font> fonts_;
    FontEntry fontEntry_;
    std::vector<QColor> colours_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colourGiven_ = false;

    QByteArray bytes_;  // text bytes not yet decoded: a two-byte character may be split
    int skip_ = 0;      // fallback units still to skip after \uN
    char16_t highSurrogate_ = 0;
    long long textLength_ = 0;
    int paragraphs_ = 0;
    bool codePageKnown_ = false;
    int codePage_ = 1252;

    ParagraphState blockState_;
    QTextBlockFormat blockFormat_;
    bool blockFormatKnown_ = false;

    CharacterState formatState_;
    QTextCharFormat format_;
    int formatId_ = -1;

    std::vector<CellDefinition> rowDefinitions_;
    CellDefinition cellDefinition_;
    int rowLeft_ = 0;

    PictureState picture_;
    long long pictureBudget_ = kMaxAllPicturePixels;  // pixels that pictures may still decode to
    QByteArray fieldInstruction_;
};

}  // namespace rtf
