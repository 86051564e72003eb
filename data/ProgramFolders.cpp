#include "ProgramFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kTemplateName = QStringLiteral("temp.mdb");

bool holdsTemplate(const QString& folder) {
    return QFileInfo(QDir(folder).filePath(kTemplateName)).isFile();
}

}  // namespace

ProgramFolders ProgramFolders::forExecutable(const QString& executableFolder) {
    if (holdsTemplate(executableFolder)) return ProgramFolders(executableFolder);
    const QString installed = QDir::cleanPath(
        QDir(executableFolder).filePath(QStringLiteral("../share/vemora-contracts")));
    if (holdsTemplate(installed)) return ProgramFolders(installed, QString());
    return ProgramFolders(executableFolder);
}

QString ProgramFolders::templatePath() const {
    return QDir(templateFolder).filePath(kTemplateName);
}
