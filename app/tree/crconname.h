#pragma once

#include <QString>

// The record behind one node of the contract tree.
struct crconname {
    qint64 contractId = 0;
    QString contractCode;
    QString contractName;
    QString recodeMark;  // "true"/"false" while a branch is being re-coded, empty otherwise
};
