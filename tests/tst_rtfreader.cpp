// The RTF reader behind the document preview: text in every code page Word and LibreOffice
// write, destinations, formatting, tables, pictures, and input meant to break it.
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

#include "ContractFileFixture.h"
#include "PreviewText.h"
#include "RtfReader.h"

namespace {

QString textOf(const QByteArray& rtf) {
    QTextDocument document;
    readRtf(rtf, document);
    return previewText(document);
}

// A document of the given body in a header as Word writes it: GBK as the ANSI code page,
// a Western font 0, a Chinese font 1 and a colour table.
QByteArray wordDocument(const QByteArray& body) {
    return "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052"
           "{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}"
           "{\\f1\\fnil\\fcharset134\\fprq2 \\'cb\\'ce\\'cc\\'e5;}"
           "{\\f2\\fnil\\fcharset2\\fprq2 Symbol;}{\\f3\\fnil\\fcharset0\\cpg950 MingLiU;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
           "{\\stylesheet{\\s0 Normal;}}{\\*\\generator Test 1.0;}"
           "\\viewkind4\\uc1\\pard\\f0\\fs24 " +
           body + "\\par}";
}

QByteArray readData(const QString& name) {
    QFile file(ContractFileFixture::testData() + "/rtf/" + name);
    if (!file.open(QIODevice::ReadOnly)) qFatal("missing test data %s", qPrintable(name));
    return file.readAll();
}

QByteArray imageBytes(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage solidImage(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A well-formed PNG header claiming a size, with one tiny data chunk behind it.
QByteArray pngClaiming(quint32 width, quint32 height) {
    auto chunk = [](const QByteArray& type, const QByteArray& data) {
        QByteArray out;
        QDataStream stream(&out, QIODevice::WriteOnly);
        stream << quint32(data.size());
        out += type + data;
        QDataStream tail(&out, QIODevice::Append);
        tail << crc32(type + data);
        return out;
    };
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream << width << height << quint8(8) << quint8(2) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", QByteArray::fromHex("789c030000000001")) + chunk("IEND", {});
}

QTextTable* firstTable(QTextDocument& document) {
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) return table;
    }
    return nullptr;
}

// The formats of the first fragment whose text contains the given text.
QTextCharFormat formatOf(const QTextDocument& document, const QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().contains(text)) return it.fragment().charFormat();
        }
    }
    return {};
}

QTextBlockFormat blockFormatOf(const QTextDocument& document, const QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().contains(text)) return block.blockFormat();
    }
    return {};
}

QList<QImage> imagesOf(const QTextDocument& document) {
    QList<QImage> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            images.append(
                document.resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()))
                    .value<QImage>());
        }
    }
    return images;
}

}  // namespace

class RtfReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void codePages_data();
    void codePages();
    void unicodeFallbacks_data();
    void unicodeFallbacks();
    void destinations_data();
    void destinations();
    void resets_data();
    void resets();
    void characterFormats();
    void paragraphFormats();
    void tables_data();
    void tables();
    void tableCellsMerged();
    void pictures();
    void picturesOutOfBounds_data();
    void picturesOutOfBounds();
    void fieldsNeverReachOutside();
    void fixtures_data();
    void fixtures();
    void libreOfficeFiles_data();
    void libreOfficeFiles();
    void hostileInput_data();
    void hostileInput();
    void deepNesting();
    void wideRow();
    void truncatedAnywhere();
    void rtf2text();
};

void RtfReaderTest::codePages_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    QTest::newRow("GBK escaped, in the Chinese font")
        << QByteArray("\\f1 \\'d6\\'d0\\'ce\\'c4") << "中文";
    QTest::newRow("GBK lead escaped, trail literal") << QByteArray("\\f1 \\'81B\\'81@") << "丅丂";
    QTest::newRow("GBK raw bytes") << QByteArray("\\f1 \xd6\xd0\xce\xc4") << "中文";
    QTest::newRow("GBK raw trail byte is a backslash") << QByteArray("\\f1 \x81\\ok") << "乗ok";
    QTest::newRow("GBK raw trail byte is a brace") << QByteArray("\\f1 \x81{\x81}x") << "亄亇x";
    QTest::newRow("GBK pair escaped as \\'hh\\\\") << QByteArray("\\f1 \\'81\\\\") << "乗";
    QTest::newRow("Western font is Windows-1252") << QByteArray("\\f0 caf\\'e9 \\'80") << "café €";
    QTest::newRow("a font's \\cpg wins over its charset") << QByteArray("\\f3 \\'a4\\'a4") << "中";
    QTest::newRow("double-byte run takes its east-Asian font")
        << QByteArray("\\f0\\loch\\af0\\dbch\\af1 \\'d6\\'d0") << "中";
    QTest::newRow("Symbol bullet") << QByteArray("\\f2 \\'b7\\f0  item") << "• item";
    QTest::newRow("GBK code page by default with \\ansicpg936")
        << QByteArray("\\f9 \\'d6\\'d0") << "中";
    QTest::newRow("escaped line ends break paragraphs")
        << QByteArray("a\\'0d\\'0ab\\'0dc") << "a\nb\nc";
}

void RtfReaderTest::codePages() {
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(textOf(wordDocument(body)), text + "\n");
}

void RtfReaderTest::unicodeFallbacks_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    QTest::newRow("one fallback byte by default") << QByteArray("\\u20013?x") << "中x";
    QTest::newRow("two escaped fallback bytes") << QByteArray("\\uc2\\u20013\\'d6\\'d0x") << "中x";
    QTest::newRow("no fallback") << QByteArray("\\uc0\\u20013 x") << "中x";
    QTest::newRow("negative value") << QByteArray("\\u-3913?") << QString(QChar(0xF0B7));
    QTest::newRow("surrogate pair") << QByteArray("\\u-10179?\\u-8704?") << "😀";
    QTest::newRow("lone surrogate") << QByteArray("\\u-10179?x") << "\uFFFDx";
    QTest::newRow("a control word counts as one")
        << QByteArray("\\uc2\\u20013\\'d6\\tab x") << "中x";
    QTest::newRow("skipping stops at the group's end") << QByteArray("{\\uc3\\u20013?}x") << "中x";
    QTest::newRow("\\uc belongs to its group") << QByteArray("{\\uc2 a}\\u20013?b") << "a中b";
    QTest::newRow("\\upr takes the Unicode branch")
        << QByteArray("{\\upr{\\'d6\\'d0}{\\*\\ud{\\u20013?}}}") << "中";
    QTest::newRow("value past 16 bits") << QByteArray("\\u99999999999?") << "\uFFFD";
}

void RtfReaderTest::unicodeFallbacks() {
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(textOf(wordDocument(body)), text + "\n");
}

void RtfReaderTest::destinations_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    QTest::newRow("unknown starred group") << QByteArray("a{\\*\\foo b{c}}d") << "ad";
    QTest::newRow("document information") << QByteArray("{\\info{\\title T}{\\author A}}x") << "x";
    QTest::newRow("field shows its result")
        << QByteArray("{\\field{\\*\\fldinst PAGE }{\\fldrslt 7}}") << "7";
    QTest::newRow("hyperlink shows its text")
        << QByteArray(
               "{\\field{\\*\\fldinst HYPERLINK \"http://a.example/\"}{\\fldrslt "
               "{\\ul link}}}")
        << "link";
    QTest::newRow("list number as shown")
        << QByteArray("{\\listtext\\pard\\plain 1.\\tab}item") << "1.\titem";
    QTest::newRow("old list number as shown")
        << QByteArray("{\\pntext\\f2 \\'b7\\tab}item") << "•\titem";
    QTest::newRow("old list definition")
        << QByteArray("{\\*\\pn\\pnlvlblt{\\pntxtb \\'b7}}item") << "item";
    QTest::newRow("hidden text") << QByteArray("a{\\v hidden}b\\v c\\v0 d") << "abd";
    QTest::newRow("header, footer and footnote")
        << QByteArray("{\\header h}{\\footer f}a{\\footnote n}b") << "ab";
    QTest::newRow("bookmarks") << QByteArray("{\\*\\bkmkstart m}a{\\*\\bkmkend m}") << "a";
    QTest::newRow("\\bin inside a skipped group")
        << QByteArray("a{\\*\\foo \\bin4 }}{{x}b") << "ab";
    QTest::newRow("index entry") << QByteArray("a{\\xe {\\v entry}}b") << "ab";
    QTest::newRow("special characters")
        << QByteArray("\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~\\{\\}\\\\")
        << "—–‘’“”•\u00a0{}\\";
    QTest::newRow("line break") << QByteArray("a\\line b") << "a\nb";
}

void RtfReaderTest::destinations() {
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(textOf(wordDocument(body)), text + "\n");
}

void RtfReaderTest::resets_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<Qt::Alignment>("alignment");

    QTest::newRow("group end restores")
        << QByteArray("\\qc{\\b\\qr }x") << false << Qt::Alignment(Qt::AlignHCenter);
    QTest::newRow("\\plain resets characters only")
        << QByteArray("\\b\\qc\\plain x") << false << Qt::Alignment(Qt::AlignHCenter);
    QTest::newRow("\\pard resets paragraphs only")
        << QByteArray("\\b\\qc\\pard x") << true << Qt::Alignment(Qt::AlignLeft);
    QTest::newRow("\\b0 turns off")
        << QByteArray("\\b\\b0 x") << false << Qt::Alignment(Qt::AlignLeft);
}

void RtfReaderTest::resets() {
    QFETCH(QByteArray, body);
    QFETCH(bool, bold);
    QFETCH(Qt::Alignment, alignment);
    QTextDocument document;
    readRtf(wordDocument(body), document);
    QCOMPARE(formatOf(document, "x").fontWeight() == QFont::Bold, bold);
    QCOMPARE(blockFormatOf(document, "x").alignment(), alignment);
}

void RtfReaderTest::characterFormats() {
    QTextDocument document;
    readRtf(wordDocument("{\\b bold}{\\i italic}{\\ul under}{\\strike gone}{\\cf1 red}"
                         "{\\highlight2 marked}{\\fs36 large}{\\f1 \\'d6\\'d0}{\\super up}"
                         "{\\dbch\\ab\\dbch assoc}"),
            document);
    QCOMPARE(formatOf(document, "bold").fontWeight(), int(QFont::Bold));
    QVERIFY(formatOf(document, "italic").fontItalic());
    QVERIFY(formatOf(document, "under").fontUnderline());
    QVERIFY(formatOf(document, "gone").fontStrikeOut());
    QCOMPARE(formatOf(document, "red").foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatOf(document, "marked").background().color(), QColor(0, 0, 255));
    QCOMPARE(formatOf(document, "large").fontPointSize(), 18.0);
    QCOMPARE(formatOf(document, "bold").fontPointSize(), 12.0);
    QCOMPARE(formatOf(document, "中").fontFamilies().toStringList(), QStringList{"宋体"});
    QCOMPARE(formatOf(document, "bold").fontFamilies().toStringList(),
             QStringList{"Times New Roman"});
    QCOMPARE(formatOf(document, "up").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatOf(document, "assoc").fontWeight(), int(QFont::Bold));
    QVERIFY(!formatOf(document, "bold").foreground().color().isValid() ||
            formatOf(document, "bold").foreground().style() == Qt::NoBrush);
}

void RtfReaderTest::paragraphFormats() {
    QTextDocument document;
    readRtf(wordDocument("\\qc centre\\par\\pard\\qr right\\par\\pard\\qj justified\\par"
                         "\\pard\\li720\\ri360\\fi-360\\sb120\\sa240\\tx720\\tx1440 indented"),
            document);
    QCOMPARE(blockFormatOf(document, "centre").alignment(), Qt::AlignHCenter);
    QCOMPARE(blockFormatOf(document, "right").alignment(), Qt::AlignRight);
    QCOMPARE(blockFormatOf(document, "justified").alignment(), Qt::AlignJustify);
    const QTextBlockFormat indented = blockFormatOf(document, "indented");
    QCOMPARE(indented.leftMargin(), 48.0);
    QCOMPARE(indented.rightMargin(), 24.0);
    QCOMPARE(indented.textIndent(), -24.0);
    QCOMPARE(indented.topMargin(), 8.0);
    QCOMPARE(indented.bottomMargin(), 16.0);
    QCOMPARE(indented.tabPositions(),
             (QList<QTextOption::Tab>{QTextOption::Tab(48, QTextOption::LeftTab),
                                      QTextOption::Tab(96, QTextOption::LeftTab)}));
}

void RtfReaderTest::tables_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    const QByteArray row = "\\trowd\\cellx1000\\cellx2000";
    QTest::newRow("rows between paragraphs")
        << "before\\par " + row + "\\intbl a\\cell b\\cell\\row " + row +
               "\\intbl c\\cell d\\cell\\row\\pard after"
        << "before\na\tb\nc\td\nafter";
    QTest::newRow("definition after the cells, as Word writes it")
        << QByteArray("\\pard\\intbl a\\cell b\\cell{\\trowd\\cellx1000\\cellx2000\\row}\\pard x")
        << "a\tb\nx";
    QTest::newRow("paragraphs in a cell") << row + "\\intbl a1\\par a2\\cell b\\cell\\row\\pard x"
                                          << "a1 a2\tb\nx";
    QTest::newRow("nested table flattened")
        << row +
               "\\intbl a\\par\\itap2 n1\\nestcell n2\\nestcell"
               "{\\*\\nesttableprops\\trowd\\cellx500\\cellx900\\nestrow}\\itap1 \\cell "
               "b\\cell\\row"
               "\\pard x"
        << "a n1 n2\tb\nx";
    QTest::newRow("a row never closed") << row + "\\intbl a\\cell b\\cell"
                                        << "a\tb";
    QTest::newRow("more cells than definitions")
        << QByteArray("\\trowd\\cellx1000\\intbl a\\cell b\\cell c\\cell\\row\\pard x")
        << "a\tb\tc\nx";
    QTest::newRow("hidden cell text") << row + "\\intbl a{\\v hidden}\\cell\\cell\\row\\pard x"
                                      << "a\t\nx";
}

void RtfReaderTest::tables() {
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(textOf(wordDocument(body)).trimmed(), text);
}

void RtfReaderTest::tableCellsMerged() {
    // Row 1: a cell across both columns. Rows 2 and 3: the left cell merged downwards;
    // the right column is split in row 3, so the table has three columns.
    QTextDocument document;
    readRtf(wordDocument("\\trowd\\clmgf\\cellx1500\\clmrg\\cellx3000\\intbl wide\\cell\\cell\\row"
                         "\\trowd\\clvmgf\\cellx1500\\cellx3000\\intbl tall\\cell r2\\cell\\row"
                         "\\trowd\\clvmrg\\cellx1500\\cellx2250\\cellx3000\\intbl\\cell x\\cell "
                         "y\\cell\\row\\pard after"),
            document);
    QCOMPARE(previewText(document), "wide\ntall\tr2\nx\ty\nafter\n");
    QTextTable* table = firstTable(document);
    QVERIFY(table);
    QCOMPARE(table->rows(), 3);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(table->cellAt(0, 0).columnSpan(), 3);
    QCOMPARE(table->cellAt(1, 0).rowSpan(), 2);
    QCOMPARE(table->cellAt(1, 1).columnSpan(), 2);
    const auto widths = table->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 3);
    QCOMPARE(widths[0].rawValue(), 100.0);
    QCOMPARE(widths[1].rawValue(), 50.0);
}

void RtfReaderTest::pictures() {
    const QByteArray png = imageBytes(solidImage(4, 3, Qt::red), "PNG");
    const QByteArray jpeg = imageBytes(solidImage(8, 8, Qt::blue), "JPEG");
    QTextDocument document;
    readRtf(wordDocument("a{\\*\\shppict{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450 " +
                         png.toHex() +
                         "}}{\\nonshppict{\\pict\\wmetafile8 0100}}b"
                         "{\\pict\\jpegblip\\picscalex50\\picscaley50\\picwgoal1200\\pichgoal1200"
                         "\\bin" +
                         QByteArray::number(jpeg.size()) + " " + jpeg +
                         "}c"
                         "{\\pict\\wmetafile8\\picwgoal600\\pichgoal600 0100}d"),
            document);
    QCOMPARE(previewText(document), "abcd\n");
    const QList<QImage> images = imagesOf(document);
    QCOMPARE(images.size(), 2);
    QCOMPARE(images[0].size(), QSize(4, 3));
    QCOMPARE(images[0].pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(images[1].size(), QSize(8, 8));

    QTextImageFormat shown;
    for (auto it = document.begin().begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().isImageFormat()) {
            shown = it.fragment().charFormat().toImageFormat();
            break;
        }
    }
    QCOMPARE(shown.width(), 40.0);  // 600 twips
    QCOMPARE(shown.height(), 30.0);
    QVERIFY(!QUrl(shown.name()).isLocalFile());
}

void RtfReaderTest::picturesOutOfBounds_data() {
    QTest::addColumn<QByteArray>("picture");

    QTest::newRow("PNG claiming 60000 x 60000 pixels")
        << "\\pngblip\\picw60000\\pich60000 " + pngClaiming(60000, 60000).toHex();
    QTest::newRow("not a PNG") << QByteArray("\\pngblip 0102030405");
    QTest::newRow("JPEG bytes declared as PNG")
        << "\\pngblip " + imageBytes(solidImage(8, 8, Qt::blue), "JPEG").toHex();
    QTest::newRow("odd hex digits and garbage") << QByteArray("\\pngblip 89504zz7g");
    QTest::newRow("\\bin past the end") << QByteArray("\\pngblip\\bin999999999 abc");
}

void RtfReaderTest::picturesOutOfBounds() {
    QFETCH(QByteArray, picture);
    QTextDocument document;
    readRtf(wordDocument("a{\\pict" + picture + "}b"), document);
    QVERIFY(imagesOf(document).isEmpty());
    QVERIFY(previewText(document).startsWith("a"));
}

void RtfReaderTest::fieldsNeverReachOutside() {
    QTemporaryDir folder;
    const QString secretPath = folder.filePath("secret.txt");
    QFile secret(secretPath);
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("SECRET");
    secret.close();
    const QString picturePath = folder.filePath("p.png");
    QVERIFY(solidImage(2, 2, Qt::green).save(picturePath));

    const QByteArray path = QDir::toNativeSeparators(secretPath).toUtf8();
    QTextDocument document;
    readRtf(wordDocument("{\\field{\\*\\fldinst INCLUDETEXT \"" + path +
                         "\"}{\\fldrslt old}}"
                         "{\\field{\\*\\fldinst INCLUDEPICTURE \"" +
                         picturePath.toUtf8() +
                         "\" \\\\d}{\\fldrslt }}"
                         "{\\field{\\*\\fldinst HYPERLINK \"file://" +
                         path +
                         "\"}{\\fldrslt "
                         "here}}"),
            document);
    QCOMPARE(previewText(document), "oldhere\n");
    QVERIFY(imagesOf(document).isEmpty());
    QCOMPARE(formatOf(document, "here").anchorHref(), "file://" + QString::fromUtf8(path));
}

void RtfReaderTest::fixtures_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");

    QTest::newRow("hex escapes") << "testHex.rtf"
                                 << "ABC\n";
    QTest::newRow("Shift-JIS in hex pairs") << "testMultiByteHex.rtf"
                                            << "お元気ですか？\n";
    QTest::newRow("Shift-JIS font beside a Western one") << "testJapaneseJisEncodingTwoFonts.rtf"
                                                         << "中國\n";
    QTest::newRow("charset 0 in a Big5 document")
        << "test950Encoding.rtf"
        << "Test Text\nCopyright © 2004-2013 Test Project\n";
    QTest::newRow("Korean") << "testKoreanEncoding.rtf"
                            << "MS Project Addin ProjectPlus\n";
    QTest::newRow("Greek") << "testGreekEncoding.rtf"
                           << "Unicode €Ω\n";
    QTest::newRow("Turkish") << "testTurkishEncoding.rtf"
                             << "Turkish Encoding.\n";
    QTest::newRow("Mac Cyrillic") << "test10007Encoding.rtf"
                                  << "Комманда разработчиков";
    QTest::newRow("Mac Japanese") << "test10001Encoding.rtf"
                                  << "お読みください";
    QTest::newRow("Thai") << "test874Encoding.rtf"
                          << "Some more test text";
    QTest::newRow("NEC characters in Shift-JIS") << "testNecCharacters.rtf"
                                                 << "表層10㎜ほどムーニング";
    QTest::newRow("Unicode scripts") << "testUnicode.rtf"
                                     << "ᓄᓇᕗᒻᒥᐅᑦ";
    QTest::newRow("negative \\u values") << "testNegativeUnicode.rtf"
                                         << "F700\uF700\uF701\uF702";
    QTest::newRow("special characters") << "testSpecialChars.rtf"
                                        << "Ldblquote: “";
}

void RtfReaderTest::fixtures() {
    QFETCH(QString, file);
    QFETCH(QString, text);
    const QString shown = textOf(readData(file));
    if (text.endsWith('\n')) {
        QCOMPARE(shown, text);
    } else {
        QVERIFY2(shown.contains(text), qPrintable(shown));
    }
    QVERIFY2(!shown.contains(QChar(0xFFFD)), qPrintable(shown));
    QVERIFY2(!shown.contains('\\') && !shown.contains('{'), qPrintable(shown));
}

void RtfReaderTest::libreOfficeFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");

    // What LibreOffice itself shows for these files (its text export), one line for each
    // paragraph, each table row on one line.
    QTest::newRow("contract in Shift-JIS fallbacks") << "libreoffice-contract.rtf"
                                                     << "libreoffice-contract.txt";
    QTest::newRow("lists, table, picture, link") << "libreoffice-mixed.rtf"
                                                 << "libreoffice-mixed.txt";
    QTest::newRow("Word-era document") << "testTextConversion.rtf"
                                       << "testTextConversion.txt";
}

void RtfReaderTest::libreOfficeFiles() {
    QFETCH(QString, file);
    QFETCH(QString, expected);
    auto normalised = [](QString text) {
        text.remove(QChar(0xFEFF));
        QStringList lines = text.split('\n');
        for (QString& line : lines) line = line.simplified();
        return lines.join('\n').trimmed();
    };
    QCOMPARE(normalised(textOf(readData(file))), normalised(QString::fromUtf8(readData(expected))));
}

void RtfReaderTest::hostileInput_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("not RTF") << QByteArray("plain words") << "";
    QTest::newRow("extra closing brace ends the document")
        << QByteArray("{\\rtf1 a}}b{c}") << "a\n";
    QTest::newRow("missing closing braces keep the text")
        << QByteArray("{\\rtf1 a{\\b b{c") << "abc\n";
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\") << "a\n";
    QTest::newRow("broken hex escape") << QByteArray("{\\rtf1 a\\'zb\\'4}") << "azb4\n";
    QTest::newRow("huge numbers")
        << QByteArray(
               "{\\rtf1{\\fonttbl{\\f99999999999999999999\\fcharset99999999999 X;}}"
               "{\\colortbl;\\red99999999999;}\\f99999999999999999999"
               "\\fs-99999999999\\cf99999999999\\li99999999999999\\uc99999999999 a"
               "\\uc1\\u-99999999999?b}")
        << "a\uFFFDb\n";
    QTest::newRow("\\bin past the end") << QByteArray("{\\rtf1 a\\bin2147483647 xyz") << "a\n";
    QTest::newRow("negative \\bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab\n";
    QTest::newRow("very long control word")
        << QByteArray("{\\rtf1 a\\" + QByteArray(100000, 'x') + " b}") << "ab\n";
    QTest::newRow("lone surrogate at the very end") << QByteArray("{\\rtf1 a\\u-10179?}") << "a\n";
    QTest::newRow("the document's own group a picture")
        << QByteArray("{\\rtf1\\pict\\pngblip 89504e47}") << "";
    QTest::newRow("the document's own group a field instruction")
        << QByteArray("{\\rtf1\\fldinst HYPERLINK x}") << "";
    QTest::newRow("unknown code pages read as Windows-1252")
        << QByteArray(
               "{\\rtf1\\ansicpg99999{\\fonttbl{\\f1\\cpg88888 X;}}caf\\'e9\\f1 \\'e9\\f2 \\'e9}")
        << "caf\u00e9\u00e9\u00e9\n";
    QTest::newRow("lone lead byte at the end")
        << QByteArray("{\\rtf1\\ansicpg936 a\\'d6}") << "a\uFFFD\n";
}

void RtfReaderTest::hostileInput() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(textOf(rtf), text);
}

void RtfReaderTest::deepNesting() {
    const int depth = 100000;
    const QByteArray rtf =
        "{\\rtf1 " + QByteArray(depth, '{') + "deep" + QByteArray(depth, '}') + " after}";
    QCOMPARE(textOf(rtf), "deep after\n");
    QCOMPARE(textOf("{\\rtf1 " + QByteArray(depth, '{') + "unclosed"), "unclosed\n");
    QCOMPARE(textOf("{\\rtf1 " + QByteArray(depth, '}') + "x"), "");
}

void RtfReaderTest::wideRow() {
    // Cells past the limit join the last cell: nothing is lost, the table stays usable.
    const QByteArray rtf = "{\\rtf1\\trowd" + QByteArray("\\cellx99999999").repeated(1000) +
                           "\\intbl " + QByteArray("x\\cell ").repeated(1000) + "\\row}";
    QTextDocument document;
    readRtf(rtf, document);
    QTextTable* table = firstTable(document);
    QVERIFY(table);
    QVERIFY(table->columns() <= 64);
    QCOMPARE(previewText(document).count('x'), 1000);
}

void RtfReaderTest::truncatedAnywhere() {
    // Every prefix of a real file reads without harm, and the text only grows.
    const QByteArray rtf = readData("libreoffice-mixed.rtf");
    for (qsizetype length = 0; length < rtf.size(); length += 7) {
        QTextDocument document;
        readRtf(rtf.left(length), document);
    }
    QVERIFY(!textOf(rtf).isEmpty());
}

void RtfReaderTest::rtf2text() {
    QTemporaryDir folder;
    const QString path = folder.filePath("合同.rtf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        wordDocument("\\f1 \\'d6\\'d0\\'ce\\'c4\\par\\trowd\\cellx1000\\cellx2000\\intbl "
                     "a\\cell b\\cell\\row\\pard end"));
    file.close();

    QProcess tool;
    tool.start(RTF2TEXT_PATH, {path});
    QVERIFY(tool.waitForFinished());
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), "中文\na\tb\nend\n");

    tool.start(RTF2TEXT_PATH, {folder.filePath("missing.rtf")});
    QVERIFY(tool.waitForFinished());
    QVERIFY(tool.exitCode() != 0);
}

QTEST_MAIN(RtfReaderTest)
#include "tst_rtfreader.moc"
