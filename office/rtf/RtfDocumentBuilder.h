#pragma once

#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <vector>

class QTextDocument;
class QImage;

namespace rtf {

// A cell as the row definition (\trowd ... \cellxN) describes it.
struct CellDefinition {
    int rightEdge = 0;                // twips from the row's left edge
    bool mergesWithPrevious = false;  // \clmrg
    bool mergesWithAbove = false;     // \clvmrg
};

// Collects what the interpreter reads and writes it into the document: paragraphs straight
// away, table rows once the table is complete (a row's definition can follow its cells).
class DocumentBuilder {
  public:
    explicit DocumentBuilder(QTextDocument& document);
    ~DocumentBuilder();

    // formatId tells formats apart cheaply: text of the same id joins one fragment.
    void addText(const QString& text, const QTextCharFormat& format, int formatId);
    void addImage(const QImage& image, int width, int height);

    void endParagraph(const QTextBlockFormat& format, bool inTable);
    void endCell(const QTextBlockFormat& format);
    void endRow(const std::vector<CellDefinition>& definitions);
    void finish(const QTextBlockFormat& format);

  private:
    static constexpr int kPictureFragment = -1;
    static constexpr int kSeparatorFragment = -2;
    struct Fragment {
        QString text;
        QTextCharFormat format;
        int formatId = kPictureFragment;
    };
    struct Paragraph {
        QTextBlockFormat format;
        std::vector<Fragment> fragments;
    };
    struct Cell {
        std::vector<Paragraph> paragraphs;
        CellDefinition definition;
    };
    using Row = std::vector<Cell>;

    void writeParagraph(QTextCursor& cursor, const Paragraph& paragraph, bool firstInPlace);
    void writeTable();
    void writeRowsAsParagraphs();
    bool hasPendingText() const;

    QTextDocument& document_;
    QTextCursor cursor_;
    bool atEmptyBlock_ = true;  // the cursor stands in a block nothing was written to yet
    Paragraph paragraph_;
    Row row_;
    std::vector<Row> table_;
    int pictureCount_ = 0;
    int fragmentCount_ = 0;
    int tableCells_ = 0;
};

}  // namespace rtf
