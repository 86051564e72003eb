#pragma once

#include <QString>

class QTextDocument;

// The text a document shows, as plain text: one line per paragraph, a table row on one
// line with its cells separated by tabs (a cell's own paragraphs joined by spaces), line
// breaks inside a paragraph as line ends, pictures left out.
QString previewText(const QTextDocument& document);
