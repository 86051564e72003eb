#include "LedgerPage.h"

// Placeholder until the pages are built.
struct LedgerSpec {
    QString page;
};

const LedgerSpec& paymentLedger() {
    static const LedgerSpec spec{QStringLiteral("TabSheet3")};
    return spec;
}
const LedgerSpec& claimLedger() {
    static const LedgerSpec spec{QStringLiteral("TabSheet4")};
    return spec;
}

LedgerPage::LedgerPage(const LedgerSpec& spec, ContractQuery&, const CommandGuard&, QWidget* parent)
    : QWidget(parent), spec_(spec) {
    setObjectName(spec.page);
}
void LedgerPage::loadList(std::optional<qint64>) {}
void LedgerPage::clearEditors() {}
