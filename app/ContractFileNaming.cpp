#include "ContractFileNaming.h"

QString newContractFilePath(const QString& chosen) {
    QString name = chosen;
    if (name.endsWith(QLatin1String(".pzq"), Qt::CaseSensitive)) name.chop(4);
    return name + QStringLiteral(".pzq");
}
