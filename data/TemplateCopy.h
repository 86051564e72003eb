#pragma once

#include <QString>

// Copies the template to a fresh file in the target's folder, writable by its owner, and
// returns its path; empty when the copy fails (nothing is left behind then). The caller
// renames it onto the target once it is complete, so a target is never half made.
QString copyTemplateBeside(const QString& templatePath, const QString& target);
