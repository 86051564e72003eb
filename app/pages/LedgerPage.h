#pragma once

#include <QWidget>
#include <optional>

class ContractQuery;
class CommandGuard;
struct LedgerSpec;

// The pages "付款与报告" and "索赔与报告": one class, configured by a table of names.
class LedgerPage : public QWidget {
    Q_OBJECT
public:
    LedgerPage(const LedgerSpec& spec, ContractQuery& query, const CommandGuard& guard,
               QWidget* parent = nullptr);

    void loadList(std::optional<qint64> contractId);
    void clearEditors();

private:
    const LedgerSpec& spec_;
};

// The two ledgers.
const LedgerSpec& paymentLedger();
const LedgerSpec& claimLedger();
