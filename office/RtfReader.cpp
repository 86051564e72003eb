#include "RtfReader.h"

#include <QTextDocument>

#include "rtf/RtfInterpreter.h"

namespace {

// RTF starts with "{\rtf"; anything else is not read at all.
bool looksLikeRtf(const QByteArray& bytes) {
    qsizetype start = 0;
    while (start < bytes.size() && QChar::isSpace(uchar(bytes[start]))) ++start;
    return bytes.mid(start, 5) == "{\\rtf";
}

}  // namespace

void readRtf(const QByteArray& rtf, QTextDocument& document) {
    document.clear();
    document.setUndoRedoEnabled(false);
    if (!looksLikeRtf(rtf)) return;
    rtf::Interpreter(rtf, document).run();
}
