#include "PreviewText.h"

#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace {

QString blockText(const QTextBlock& block) {
    QString text = block.text();
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void appendFrame(const QTextFrame* frame, QString& out);

QString cellText(const QTextTableCell& cell) {
    QStringList paragraphs;
    for (auto it = cell.begin(); !it.atEnd(); ++it) {
        if (it.currentBlock().isValid()) {
            const QString text = blockText(it.currentBlock());
            if (!text.isEmpty()) paragraphs.append(text);
        } else if (it.currentFrame()) {
            QString nested;
            appendFrame(it.currentFrame(), nested);
            paragraphs.append(nested.trimmed().replace(QLatin1Char('\n'), QLatin1Char(' ')));
        }
    }
    return paragraphs.join(QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

void appendTable(const QTextTable* table, QString& out) {
    for (int row = 0; row < table->rows(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            // A merged cell is shown once, where it starts.
            if (cell.row() != row || cell.column() != column) continue;
            cells.append(cellText(cell));
        }
        out += cells.join(QLatin1Char('\t'));
        out += QLatin1Char('\n');
    }
}

void appendFrame(const QTextFrame* frame, QString& out) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextTable* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            appendTable(table, out);
        } else if (it.currentFrame()) {
            appendFrame(it.currentFrame(), out);
        } else if (it.currentBlock().isValid()) {
            // A table that opens a document or a cell stands after an empty block the text
            // layout needs; it is no paragraph of the document's.
            auto next = it;
            ++next;
            if (it == frame->begin() && it.currentBlock().length() == 1 && !next.atEnd() &&
                qobject_cast<QTextTable*>(next.currentFrame())) {
                continue;
            }
            out += blockText(it.currentBlock());
            out += QLatin1Char('\n');
        }
    }
}

}  // namespace

QString previewText(const QTextDocument& document) {
    if (document.isEmpty()) return {};
    QString out;
    appendFrame(document.rootFrame(), out);
    return out;
}
