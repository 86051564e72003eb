#include "RtfReader.h"

#include <QTextDocument>

// Placeholder until the reader is written: the preview stays empty.
void readRtf(const QByteArray&, QTextDocument& document) { document.clear(); }
