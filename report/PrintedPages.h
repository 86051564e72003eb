#pragma once

#include <QDate>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// A4 with the margins of every printed page.
void useA4(QPagedPaintDevice& device, QPageLayout::Orientation orientation);

// Paints a document on the pages of a printer or a PDF writer, with the date printed and
// "第 N 页 共 M 页" at the foot of every page. The document is laid out for the device.
void printDocument(QTextDocument& document, QPagedPaintDevice& device, const QDate& printedOn);

// Writes the document as a PDF file, under a temporary name renamed into place.
// Throws AppError when the file cannot be written.
void writeDocumentPdf(QTextDocument& document, const QString& path, const QDate& printedOn,
                      const QString& title);

// The font of every printed page: a CJK face that the PDF embeds.
QString printFontFamily();
QString pageFooter(int page, int pages);
