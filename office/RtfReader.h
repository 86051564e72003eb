#pragma once

#include <QByteArray>

class QTextDocument;

// Reads a rich-text (RTF) file's bytes into a text document for the read-only preview.
// The document is emptied first. Never throws and never reads anything but the bytes given:
// damaged or hostile input gives whatever text could be read.
void readRtf(const QByteArray& rtf, QTextDocument& document);
