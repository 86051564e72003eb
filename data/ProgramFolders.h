#pragma once

#include <QString>

// Where the program finds its template temp.mdb and where it makes its scratch folder.
//
// A copy run from its build folder or unpacked anywhere keeps both beside the executable.
// An installed program keeps the template in <prefix>/share/vemora-contracts and writes
// its scratch files only in the user's cache folder: the folders of an installation
// belong to the system, even when the person running the program could write there.
struct ProgramFolders {
    QString templateFolder;  // holds temp.mdb
    QString scratchBase;     // "temp" is made here; empty: the user's cache folder only

    // One folder holding both, as in a build folder or in tests; implicit, so that a
    // window made with one folder reads as it always has.
    ProgramFolders(const QString& folder) : templateFolder(folder), scratchBase(folder) {}
    ProgramFolders(QString templates, QString scratch)
        : templateFolder(std::move(templates)), scratchBase(std::move(scratch)) {}

    // The template beside the executable first, then <prefix>/share/vemora-contracts for
    // an executable in <prefix>/bin. When neither holds it, the executable's folder: the
    // missing template is reported when a new contract file is made.
    static ProgramFolders forExecutable(const QString& executableFolder);

    QString templatePath() const;
};
