#pragma once

#include "DocumentConverter.h"

// Converts with LibreOffice, headless. Every conversion starts an office process of its
// own with a fresh user profile, so it never hands the work to an office the person is
// running (which would open a window there, or refuse) and never shows a window. The wait
// is bounded: an office that has not finished in time is ended with all it started.
//
// The wait runs a local event loop, so the program's windows keep painting; keeping the
// person's input away meanwhile is the caller's business.
class LibreOfficeConverter : public DocumentConverter {
  public:
    static constexpr int kDefaultTimeoutMs = 60 * 1000;

    // `program` is the office's start program; empty: the one installed on this machine.
    explicit LibreOfficeConverter(QString program = {}, int timeoutMs = kDefaultTimeoutMs);

    ConversionResult convertToRtf(const QString& documentPath, const QString& rtfPath) override;

    // The start program of the office installed on this machine; empty when there is none.
    static QString installedProgram();

  private:
    QString program_;
    int timeoutMs_;
};
