#include "ContractSheet.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include "PrintedPages.h"
#include "SqlLiteral.h"

namespace {

QTextCharFormat textFormat(double points, bool bold = false) {
    QTextCharFormat f;
    f.setFontFamilies({printFontFamily()});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

QTextTableFormat tableFormat(int headerRows) {
    QTextTableFormat f;
    f.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    f.setCellPadding(3);
    f.setCellSpacing(0);
    f.setBorder(2);
    f.setBorderBrush(QColor(0x80, 0x80, 0x80));
    f.setBorderCollapse(true);
    f.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    f.setHeaderRowCount(headerRows);
    return f;
}

void insertHeading(QTextCursor& cursor, const QString& text, double points, bool first = false) {
    QTextBlockFormat block;
    block.setTopMargin(first ? 0 : 10);
    block.setBottomMargin(4);
    if (first) {
        cursor.setBlockFormat(block);
        cursor.setBlockCharFormat(textFormat(points, true));
    } else {
        cursor.insertBlock(block, textFormat(points, true));
    }
    cursor.insertText(text);
}

void insertCell(QTextTable* table, int row, int column, const QString& text, bool bold = false,
                Qt::Alignment align = Qt::AlignLeft) {
    QTextCursor cell = table->cellAt(row, column).firstCursorPosition();
    QTextBlockFormat block;
    block.setAlignment(align);
    cell.setBlockFormat(block);
    cell.setBlockCharFormat(textFormat(9, bold));
    cell.insertText(printedText(text), textFormat(9, bold));
}

// The grid of a ledger: titles, the records (an empty row when there is none, as on the
// page), and the sums row.
void insertLedger(QTextCursor& cursor, const LedgerTable& ledger) {
    const QStringList titles = ledgerTitles(ledger.kind);
    const int records = std::max<int>(1, int(ledger.records.size()));
    QTextTable* table = cursor.insertTable(records + 2, int(titles.size()), tableFormat(1));
    QTextTableFormat format = table->format();
    format.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 26),
                                      QTextLength(QTextLength::PercentageLength, 14),
                                      QTextLength(QTextLength::PercentageLength, 14),
                                      QTextLength(QTextLength::PercentageLength, 14),
                                      QTextLength(QTextLength::PercentageLength, 16),
                                      QTextLength(QTextLength::PercentageLength, 16)});
    table->setFormat(format);
    for (int c = 0; c < titles.size(); ++c) insertCell(table, 0, c, titles[c], true);
    int row = 1;
    for (const LedgerRecord& r : ledger.records) {
        insertCell(table, row, 0, r.name);
        insertCell(table, row, 1, sql::formatAmount(r.firstAmount), false, Qt::AlignRight);
        insertCell(table, row, 2, sql::formatAmount(r.secondAmount), false, Qt::AlignRight);
        insertCell(table, row, 3, r.date.isValid() ? sql::dateText(r.date) : QString());
        insertCell(table, row, 4, r.number);
        insertCell(table, row, 5, r.invoice);
        ++row;
    }
    const int sums = records + 1;
    insertCell(table, sums, 0, QStringLiteral("合计"), true);
    insertCell(table, sums, 1, sql::formatAmount(ledger.firstSum), true, Qt::AlignRight);
    insertCell(table, sums, 2, sql::formatAmount(ledger.secondSum), true, Qt::AlignRight);
    cursor.movePosition(QTextCursor::End);
}

std::unique_ptr<QTextDocument> newDocument() {
    auto document = std::make_unique<QTextDocument>();
    QFont font(printFontFamily());
    font.setPointSizeF(9);
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    return document;
}

// The fields, one table row per line of the page over four quarter columns.
void insertFields(QTextCursor& cursor, const std::vector<SheetLine>& lines) {
    if (lines.empty()) return;
    QTextTableFormat format = tableFormat(0);
    format.setBorder(0);
    QVector<QTextLength> widths;
    for (int q = 0; q < 4; ++q) widths << QTextLength(QTextLength::PercentageLength, 25);
    format.setColumnWidthConstraints(widths);
    QTextTable* table = cursor.insertTable(int(lines.size()), 4, format);
    for (int row = 0; row < int(lines.size()); ++row) {
        const SheetLine& line = lines[size_t(row)];
        int column = 0;
        for (const SheetField& field : line.fields) {
            const int span = std::clamp(field.quarters, 1, 4 - column);
            if (span > 1) table->mergeCells(row, column, 1, span);
            QTextTableCell cell = table->cellAt(row, column);
            if (line.endsBand) {
                QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                cellFormat.setBottomBorder(0.8);
                cellFormat.setBottomBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                cell.setFormat(cellFormat);
            }
            QTextCursor at = cell.firstCursorPosition();
            at.insertText(field.caption + QStringLiteral("："), textFormat(9, true));
            at.insertText(printedText(field.value), textFormat(9));
            column += span;
            if (column >= 4) break;
        }
        // A rule under the whole line, the empty quarters included.
        if (line.endsBand)
            for (int c = column; c < 4; ++c) {
                QTextTableCell cell = table->cellAt(row, c);
                QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                cellFormat.setBottomBorder(0.8);
                cellFormat.setBottomBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                cell.setFormat(cellFormat);
            }
    }
    cursor.movePosition(QTextCursor::End);
}

void insertNames(QTextCursor& cursor, const QString& title, const QStringList& names) {
    insertHeading(cursor, title, 11);
    QTextBlockFormat block;
    if (names.isEmpty()) {
        cursor.insertBlock(block, textFormat(9));
        cursor.insertText(QStringLiteral("（无）"));
        return;
    }
    for (int i = 0; i < names.size(); ++i) {
        cursor.insertBlock(block, textFormat(9));
        cursor.insertText(QStringLiteral("%1. ").arg(i + 1) + printedText(names[i]));
    }
}

}  // namespace

QString printedText(const QString& stored) {
    QString text = stored;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString contractHeading(const QString& name, const QString& number) {
    if (number.trimmed().isEmpty()) return name;
    return name + QStringLiteral("（") + number + QStringLiteral("）");
}

std::unique_ptr<QTextDocument> contractSheetDocument(const ContractSheet& sheet) {
    auto document = newDocument();
    QTextCursor cursor(document.get());
    insertHeading(cursor, contractHeading(sheet.name, sheet.number), 15, true);
    insertFields(cursor, sheet.lines);
    insertHeading(cursor, QStringLiteral("付款与报告"), 11);
    cursor.insertBlock();
    insertLedger(cursor, sheet.payments);
    insertHeading(cursor, QStringLiteral("索赔与报告"), 11);
    cursor.insertBlock();
    insertLedger(cursor, sheet.claims);
    insertNames(cursor, QStringLiteral("合同文本"), sheet.documents);
    insertNames(cursor, QStringLiteral("合同原件"), sheet.contractScans);
    insertNames(cursor, QStringLiteral("其他原件"), sheet.otherScans);
    return document;
}

std::unique_ptr<QTextDocument> ledgerDocument(const LedgerTable& ledger, const QString& name,
                                              const QString& number) {
    auto document = newDocument();
    QTextCursor cursor(document.get());
    insertHeading(cursor, contractHeading(name, number), 15, true);
    insertHeading(cursor,
                  ledger.kind == LedgerKind::Payments ? QStringLiteral("付款与报告")
                                                      : QStringLiteral("索赔与报告"),
                  11);
    cursor.insertBlock();
    insertLedger(cursor, ledger);
    return document;
}
