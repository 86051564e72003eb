#pragma once

#include <string_view>

namespace rtf {

// The control words the reader acts on; every other word is read and ignored.
enum class Keyword {
    Unknown,
    // document and tables of the header
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    FontTable,
    Font,
    FontCharset,
    FontCodePage,
    ColourTable,
    Red,
    Green,
    Blue,
    Upr,
    Ud,
    // a destination never shown: its group is skipped whole
    SkippedDestination,
    // special characters and breaks
    Par,
    Line,
    Tab,
    Sect,
    Emdash,
    Endash,
    Lquote,
    Rquote,
    Ldblquote,
    Rdblquote,
    Bullet,
    Emspace,
    Enspace,
    Qmspace,
    Unicode,
    UnicodeSkip,
    // character formatting
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    FontSize,
    Foreground,
    Background,
    Highlight,
    Super,
    Sub,
    NoSuperSub,
    AssocBold,
    AssocItalic,
    AssocFontSize,
    AssocFont,
    LowAnsi,
    HighAnsi,
    DoubleByte,
    RightToLeft,
    LeftToRight,
    // paragraph formatting
    Pard,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    TabStop,
    InTable,
    NestingLevel,
    // tables
    RowDefaults,
    RowLeft,
    CellEdge,
    MergeWithPrevious,
    MergeWithAbove,
    Cell,
    Row,
    NestedCell,
    // fields, lists, objects and pictures
    FieldInstruction,
    FieldResult,
    ListText,
    ObjectResult,
    Picture,
    ShapePicture,
    PngBlip,
    JpegBlip,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
};

Keyword keywordOf(std::string_view word);

// Destinations that may stand after \* and are still read.
bool isReadStarredDestination(Keyword keyword);

}  // namespace rtf
