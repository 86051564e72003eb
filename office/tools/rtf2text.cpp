// Prints, as UTF-8, the text the document preview shows for an RTF file: the RTF reader's
// diagnostic. Exits non-zero only when the file cannot be read.
#include <QCoreApplication>
#include <QFile>
#include <QTextDocument>
#include <cstdio>

#include "PreviewText.h"
#include "RtfReader.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: rtf2text FILE\n");
        return 2;
    }
    QFile file(QFile::decodeName(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "rtf2text: cannot read %s: %s\n", argv[1],
                     qPrintable(file.errorString()));
        return 1;
    }
    const QByteArray rtf = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        std::fprintf(stderr, "rtf2text: cannot read %s: %s\n", argv[1],
                     qPrintable(file.errorString()));
        return 1;
    }
    QTextDocument document;
    readRtf(rtf, document);
    const QByteArray text = previewText(document).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 0;
}
