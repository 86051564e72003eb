#include "RtfDocumentBuilder.h"

#include <QImage>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <map>

#include "RtfLimits.h"

namespace rtf {

DocumentBuilder::DocumentBuilder(QTextDocument& document)
    : document_(document), cursor_(&document) {
    cursor_.beginEditBlock();
}

DocumentBuilder::~DocumentBuilder() { cursor_.endEditBlock(); }

void DocumentBuilder::addText(const QString& text, const QTextCharFormat& format, int formatId) {
    auto& fragments = paragraph_.fragments;
    // Past the limit, text takes the format of the text before it.
    const bool joins = !fragments.empty() && fragments.back().formatId != kPictureFragment &&
                       (fragments.back().formatId == formatId || fragmentCount_ >= kMaxFragments);
    if (joins) {
        fragments.back().text += text;
    } else {
        fragments.push_back({text, format, formatId});
        ++fragmentCount_;
    }
}

void DocumentBuilder::addImage(const QImage& image, int width, int height) {
    // A made-up scheme: nothing in a document can point the preview at a file of its own.
    const QUrl name(QStringLiteral("rtf-picture:%1").arg(++pictureCount_));
    document_.addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    format.setWidth(width);
    format.setHeight(height);
    paragraph_.fragments.push_back({QString(), format, kPictureFragment});
}

void DocumentBuilder::endParagraph(const QTextBlockFormat& format, bool inTable) {
    paragraph_.format = format;
    if (inTable) {
        if (row_.empty()) row_.emplace_back();
        row_.back().paragraphs.push_back(std::move(paragraph_));
        paragraph_ = Paragraph();
        return;
    }
    if (!row_.empty()) endRow({});
    if (!table_.empty()) writeTable();
    writeParagraph(cursor_, paragraph_, atEmptyBlock_);
    atEmptyBlock_ = false;
    paragraph_ = Paragraph();
}

void DocumentBuilder::endCell(const QTextBlockFormat& format) {
    paragraph_.format = format;
    if (row_.empty()) row_.emplace_back();
    row_.back().paragraphs.push_back(std::move(paragraph_));
    paragraph_ = Paragraph();
    // The next cell stays open until its own \cell; past the limit, cells join the last one.
    if (int(row_.size()) < kMaxCellsInRow) row_.emplace_back();
}

void DocumentBuilder::endRow(const std::vector<CellDefinition>& definitions) {
    // The cell opened by the last \cell holds only what came after it.
    if (!row_.empty() && row_.back().paragraphs.empty()) row_.pop_back();
    if (!paragraph_.fragments.empty()) {
        if (row_.empty()) row_.emplace_back();
        row_.back().paragraphs.push_back(std::move(paragraph_));
        paragraph_ = Paragraph();
    }
    if (row_.empty()) return;
    int edge = 0;
    for (size_t i = 0; i < row_.size(); ++i) {
        CellDefinition definition = i < definitions.size() ? definitions[i] : CellDefinition();
        if (i >= definitions.size()) definition.rightEdge = edge + 1440;
        definition.rightEdge = std::max(definition.rightEdge, edge + 1);
        edge = definition.rightEdge;
        row_[i].definition = definition;
    }
    table_.push_back(std::move(row_));
    row_.clear();
    if (int(table_.size()) >= kMaxTableRows) writeTable();
}

void DocumentBuilder::finish(const QTextBlockFormat& format) {
    if (!row_.empty()) endRow({});
    if (!paragraph_.fragments.empty()) endParagraph(format, false);
    if (!table_.empty()) writeTable();
}

void DocumentBuilder::writeParagraph(QTextCursor& cursor, const Paragraph& paragraph,
                                     bool firstInPlace) {
    const QTextCharFormat blockCharFormat =
        paragraph.fragments.empty() ? QTextCharFormat() : paragraph.fragments.front().format;
    if (firstInPlace) {
        // Merged, so that a cell keeps its spans, which live in the same format.
        cursor.setBlockFormat(paragraph.format);
        cursor.mergeBlockCharFormat(blockCharFormat);
    } else {
        cursor.insertBlock(paragraph.format, blockCharFormat);
    }
    for (const Fragment& fragment : paragraph.fragments) {
        if (fragment.formatId == kPictureFragment) {
            cursor.insertImage(fragment.format.toImageFormat());
        } else {
            cursor.insertText(fragment.text, fragment.format);
        }
    }
}

void DocumentBuilder::writeRowsAsParagraphs() {
    for (Row& row : table_) {
        Paragraph line;
        for (size_t i = 0; i < row.size(); ++i) {
            for (size_t j = 0; j < row[i].paragraphs.size(); ++j) {
                Paragraph& paragraph = row[i].paragraphs[j];
                if (i + j > 0)
                    line.fragments.push_back({QString(i > 0 && j == 0 ? "\t" : " "),
                                              QTextCharFormat(), kSeparatorFragment});
                for (Fragment& fragment : paragraph.fragments) {
                    line.fragments.push_back(std::move(fragment));
                }
            }
        }
        writeParagraph(cursor_, line, atEmptyBlock_);
        atEmptyBlock_ = false;
    }
    table_.clear();
}

void DocumentBuilder::writeTable() {
    struct Placed {
        Cell* cell;
        int row, column, rowSpan, columnSpan;
    };

    // Cells joined across (\clmgf/\clmrg) become one wider cell.
    for (Row& row : table_) {
        Row joined;
        for (Cell& cell : row) {
            if (cell.definition.mergesWithPrevious && !joined.empty()) {
                Cell& left = joined.back();
                left.definition.rightEdge = cell.definition.rightEdge;
                for (Paragraph& paragraph : cell.paragraphs) {
                    if (!paragraph.fragments.empty())
                        left.paragraphs.push_back(std::move(paragraph));
                }
            } else {
                joined.push_back(std::move(cell));
            }
        }
        row = std::move(joined);
    }

    int cellCount = 0;
    for (const Row& row : table_) cellCount += int(row.size());
    if (tableCells_ + cellCount > kMaxTableCells) {
        writeRowsAsParagraphs();
        return;
    }
    tableCells_ += cellCount;

    // Columns are the union of all rows' cell edges, so cells of different widths line up.
    std::map<int, int> columnOfEdge;
    columnOfEdge[0] = 0;
    for (const Row& row : table_) {
        for (const Cell& cell : row) columnOfEdge[cell.definition.rightEdge] = 0;
    }
    const bool byEdges = int(columnOfEdge.size()) - 1 <= kMaxTableColumns;
    int columns = 0;
    QList<QTextLength> widths;
    if (byEdges) {
        // Column k runs from the k-th edge to the next one.
        int previous = 0;
        for (auto& [edge, column] : columnOfEdge) {
            column = columns;
            if (edge == 0) continue;
            widths.append(QTextLength(QTextLength::FixedLength,
                                      std::max(1, (edge - previous) / kTwipsPerPixel)));
            previous = edge;
            column = ++columns;
        }
    } else {
        for (const Row& row : table_) columns = std::max(columns, int(row.size()));
    }

    std::vector<Placed> placed;
    std::vector<std::vector<int>> owners(table_.size());  // row -> column -> placed index
    for (int r = 0; r < int(table_.size()); ++r) {
        owners[r].assign(columns, -1);
        int leftEdge = 0;
        for (int c = 0; c < int(table_[r].size()); ++c) {
            Cell& cell = table_[r][c];
            int column = c, span = 1;
            if (byEdges) {
                column = columnOfEdge[leftEdge];
                span = columnOfEdge[cell.definition.rightEdge] - column;
            }
            leftEdge = cell.definition.rightEdge;
            if (column >= columns || span < 1) continue;
            const int above = r > 0 ? owners[r - 1][column] : -1;
            if (cell.definition.mergesWithAbove && above >= 0 && placed[above].column == column &&
                placed[above].columnSpan == span &&
                placed[above].row + placed[above].rowSpan == r) {
                Placed& owner = placed[above];
                ++owner.rowSpan;
                for (Paragraph& paragraph : cell.paragraphs) {
                    if (!paragraph.fragments.empty()) {
                        owner.cell->paragraphs.push_back(std::move(paragraph));
                    }
                }
                for (int k = column; k < column + span; ++k) owners[r][k] = above;
                continue;
            }
            placed.push_back({&cell, r, column, 1, span});
            for (int k = column; k < column + span; ++k) owners[r][k] = int(placed.size()) - 1;
        }
    }

    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderCollapse(true);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    if (byEdges) format.setColumnWidthConstraints(widths);
    QTextTable* table = cursor_.insertTable(int(table_.size()), std::max(1, columns), format);
    for (const Placed& p : placed) {
        if (p.rowSpan > 1 || p.columnSpan > 1) {
            table->mergeCells(p.row, p.column, p.rowSpan, p.columnSpan);
        }
    }
    // Where each cell starts, taken before any is written; then the last cell first, since
    // writing into a cell moves every later cell and never an earlier one.
    std::vector<int> starts;
    starts.reserve(placed.size());
    for (const Placed& p : placed) starts.push_back(table->cellAt(p.row, p.column).firstPosition());
    for (size_t i = placed.size(); i-- > 0;) {
        const Placed& p = placed[i];
        QTextCursor cellCursor(&document_);
        cellCursor.setPosition(starts[i]);
        bool first = true;
        for (const Paragraph& paragraph : p.cell->paragraphs) {
            writeParagraph(cellCursor, paragraph, first);
            first = false;
        }
    }
    cursor_.movePosition(QTextCursor::End);
    atEmptyBlock_ = true;
    table_.clear();
}

}  // namespace rtf
