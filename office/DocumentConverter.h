#pragma once

#include <QString>

// What came of one conversion.
struct ConversionResult {
    enum Status {
        Converted,  // the RTF copy is at the path asked for
        Missing,    // no converter is installed on this machine
        Failed,     // the converter ran but made no copy; `detail` says why
    };
    Status status = Failed;
    QString detail;
};

// Turns a word-processor document into rich text (RTF) for the read-only preview.
// The program uses a headless office suite; tests put a scripted converter in its place.
class DocumentConverter {
  public:
    virtual ~DocumentConverter() = default;
    // Writes the RTF copy of the document to rtfPath, replacing a file there; the document
    // itself is left as it is. Blocks until the copy is made or the converter gives up.
    virtual ConversionResult convertToRtf(const QString& documentPath, const QString& rtfPath) = 0;
};
