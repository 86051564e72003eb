#pragma once

#include <QWidget>
#include <optional>

class ContractQuery;
class CommandGuard;
struct ScanSpec;

// The pages "合同原件" and "其他原件": one class, configured by a table of names.
class ScanPage : public QWidget {
    Q_OBJECT
public:
    ScanPage(const ScanSpec& spec, ContractQuery& query, const CommandGuard& guard,
             QWidget* parent = nullptr);

    void loadList(std::optional<qint64> contractId);
    void clearEditors();

private:
    const ScanSpec& spec_;
};

const ScanSpec& contractScans();
const ScanSpec& otherScans();
