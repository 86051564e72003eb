#include "ScanPage.h"

// Placeholder until the pages are built.
struct ScanSpec {
    QString page;
};

const ScanSpec& contractScans() {
    static const ScanSpec spec{QStringLiteral("TabSheet5")};
    return spec;
}
const ScanSpec& otherScans() {
    static const ScanSpec spec{QStringLiteral("TabSheet6")};
    return spec;
}

ScanPage::ScanPage(const ScanSpec& spec, ContractQuery&, const CommandGuard&, QWidget* parent)
    : QWidget(parent), spec_(spec) {
    setObjectName(spec.page);
}
void ScanPage::loadList(std::optional<qint64>) {}
void ScanPage::clearEditors() {}
