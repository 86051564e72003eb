#include "DocumentPage.h"

// Placeholder until the page is built.
DocumentPage::DocumentPage(ContractQuery&, const CommandGuard&, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet2"));
}
void DocumentPage::LoadDocumentList(std::optional<qint64>) {}
void DocumentPage::clearEditors() {}
