#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "LedgerReport.h"

class QTextDocument;

// One field of the contract's sheet as the information page shows it.
struct SheetField {
    QString caption;
    QString value;
    int quarters = 1;  // its width on its line, in quarters of the page
};

struct SheetLine {
    std::vector<SheetField> fields;
    bool endsBand = false;  // a rule follows the line
};

// Everything the printed sheet of one contract shows.
struct ContractSheet {
    QString name;
    QString number;
    std::vector<SheetLine> lines;
    LedgerTable payments{LedgerKind::Payments};
    LedgerTable claims{LedgerKind::Claims};
    QStringList documents;
    QStringList contractScans;
    QStringList otherScans;
};

// The sheet laid out for print: a heading with the name and number, the fields in their
// bands, the two ledgers with their sums rows, then the names of the stored documents
// and scans. Table titles repeat at the top of each page.
std::unique_ptr<QTextDocument> contractSheetDocument(const ContractSheet& sheet);

// One ledger headed by its contract's name and number.
std::unique_ptr<QTextDocument> ledgerDocument(const LedgerTable& ledger, const QString& name,
                                              const QString& number);

// "合同名称（合同编号）", or the name alone when it has no number.
QString contractHeading(const QString& name, const QString& number);

// The page's line breaks (CR LF) as lines of the printed text.
QString printedText(const QString& stored);
