#pragma once

#include <QString>

#include "TemplateCopy.h"

// The path of a new contract file for the name chosen in the save dialog: the name with
// ".pzq" (exactly, lower case) at the end removed, then ".pzq" added. So 合同 and
// 合同.pzq both give 合同.pzq, while 合同.PZQ gives 合同.PZQ.pzq.
QString newContractFilePath(const QString& chosen);
