#pragma once

#include <QString>

// Deletes a file and waits, at most timeoutMs, until the file system no longer reports
// it. True when the file is gone (or was never there).
bool removeFileAndWait(const QString& path, int timeoutMs = 3000);
