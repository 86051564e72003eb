#pragma once

#include <QString>

// Looks at a file before the engine is let near it, so that a file which is not a
// contract file is refused with a message that names the problem and is never touched.
enum class ContractFileKind {
    Missing,       // no file at that path
    NotAFile,      // a folder or something else that is not a plain file
    Unreadable,    // exists but cannot be read
    LegacyJet,     // a Jet/Access file of the old Windows program
    Truncated,     // shorter than its header says, and no interrupted commit to undo
    NotADatabase,  // anything else
    Database,      // a database file of the right format
};

ContractFileKind probeContractFile(const QString& path);

// The message for every kind but Database.
QString contractFileProblem(ContractFileKind kind, const QString& path);
