#pragma once

#include <QString>
#include <memory>

class ContractFileLock;
class Desktop;
class QWidget;

// Puts a complete new contract file (made beside the target under a temporary name) in
// the target's place, replacing a file the person agreed to replace. A target that another
// program holds, or that cannot be removed, is kept, the new file is removed, and the
// person is told; false then. The claim on a replaced target goes to `claim` when given, so
// that the caller can keep a third program out until it has opened the new file.
bool placeNewContractFile(Desktop& desktop, QWidget* parent, const QString& fresh,
                          const QString& target,
                          std::shared_ptr<ContractFileLock>* claim = nullptr);
