#include "TemplateCopy.h"

#include <QFile>
#include <QTemporaryFile>

QString copyTemplateBeside(const QString& templatePath, const QString& target) {
    QFile source(templatePath);
    if (!source.open(QIODevice::ReadOnly)) return {};
    QTemporaryFile fresh(target + QStringLiteral(".new-XXXXXX"));
    if (!fresh.open()) return {};
    char buffer[1 << 16];
    for (qint64 got; (got = source.read(buffer, sizeof buffer)) > 0;)
        if (fresh.write(buffer, got) != got) return {};
    if (source.error() != QFile::NoError || !fresh.flush()) return {};
    fresh.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                         QFileDevice::ReadOther);
    fresh.setAutoRemove(false);
    return fresh.fileName();
}
