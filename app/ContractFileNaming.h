#pragma once

#include <QString>

// The path of a new contract file for the name chosen in the save dialog: the name with
// ".pzq" (exactly, lower case) at the end removed, then ".pzq" added. So 合同 and
// 合同.pzq both give 合同.pzq, while 合同.PZQ gives 合同.PZQ.pzq.
QString newContractFilePath(const QString& chosen);

// Copies the template to a fresh file in the target's folder, writable by its owner, and
// returns its path; empty when the copy fails (nothing is left behind then).
QString copyTemplateBeside(const QString& templatePath, const QString& target);
