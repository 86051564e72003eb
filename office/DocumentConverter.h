#pragma once

#include <QString>

// Turns a word-processor document into rich text (RTF) for the read-only preview.
// The program uses a headless office suite; tests put a scripted converter in its place.
class DocumentConverter {
public:
    virtual ~DocumentConverter() = default;
    // Writes the RTF copy of the document to rtfPath; false when it cannot be made.
    virtual bool convertToRtf(const QString& documentPath, const QString& rtfPath) = 0;
};
