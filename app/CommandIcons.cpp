#include "CommandIcons.h"

#include <QHash>

namespace {

// Item name → icon name. The desktop's standard theme names where a theme has a picture
// for the command; "vemora-…" names for commands no theme draws.
const QHash<QString, QString>& iconNames() {
    static const QHash<QString, QString> names = {
        // contract file
        {QStringLiteral("TBItem17"), QStringLiteral("document-open")},
        {QStringLiteral("TBItem25"), QStringLiteral("document-new")},
        {QStringLiteral("TBItem24"), QStringLiteral("document-save")},
        {QStringLiteral("TBItem2"), QStringLiteral("document-save")},
        {QStringLiteral("TBItem18"), QStringLiteral("application-exit")},
        {QStringLiteral("TBItem1"), QStringLiteral("application-exit")},
        // the other commands of the menus and the main toolbar
        {QStringLiteral("TBItem23"), QStringLiteral("edit-find")},
        {QStringLiteral("TBItem13"), QStringLiteral("edit-find")},
        {QStringLiteral("TBItem22"), QStringLiteral("x-office-document-template")},
        {QStringLiteral("TBItem12"), QStringLiteral("x-office-document-template")},
        {QStringLiteral("TBItem21"), QStringLiteral("document-properties")},
        {QStringLiteral("TBItem11"), QStringLiteral("document-properties")},
        {QStringLiteral("TBItem55"), QStringLiteral("x-office-address-book")},
        {QStringLiteral("TBItem14"), QStringLiteral("x-office-address-book")},
        {QStringLiteral("TBItem20"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("TBItem7"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("TBItem19"), QStringLiteral("document-print")},
        {QStringLiteral("TBItem6"), QStringLiteral("document-print")},
        {QStringLiteral("TBItem10"), QStringLiteral("edit-find-replace")},
        {QStringLiteral("TBItem16"), QStringLiteral("help-contents")},
        {QStringLiteral("TBItem15"), QStringLiteral("help-about")},
        // the tree
        {QStringLiteral("TBItem31"), QStringLiteral("list-add")},
        {QStringLiteral("TBItem5"), QStringLiteral("list-add")},
        {QStringLiteral("TBItem32"), QStringLiteral("list-add")},
        {QStringLiteral("TBItem26"), QStringLiteral("vemora-add-sub-contract")},
        {QStringLiteral("TBItem4"), QStringLiteral("vemora-add-sub-contract")},
        {QStringLiteral("TBItem33"), QStringLiteral("vemora-add-sub-contract")},
        {QStringLiteral("TBItem30"), QStringLiteral("list-remove")},
        {QStringLiteral("TBItem3"), QStringLiteral("list-remove")},
        {QStringLiteral("TBItem34"), QStringLiteral("list-remove")},
        {QStringLiteral("TBItem27"), QStringLiteral("format-indent-less")},
        {QStringLiteral("TBItem28"), QStringLiteral("format-indent-less")},
        {QStringLiteral("TBItem9"), QStringLiteral("vemora-expand-all")},
        {QStringLiteral("TBItem51"), QStringLiteral("vemora-expand-all")},
        {QStringLiteral("TBItem8"), QStringLiteral("vemora-collapse-all")},
        {QStringLiteral("TBItem50"), QStringLiteral("vemora-collapse-all")},
        {QStringLiteral("TBItem29"), QStringLiteral("x-office-document-template")},
        {QStringLiteral("TBItem37"), QStringLiteral("x-office-document-template")},
        // contract text documents
        {QStringLiteral("TBItem35"), QStringLiteral("document-new")},
        {QStringLiteral("TBItem41"), QStringLiteral("vemora-import-document")},
        {QStringLiteral("TBItem40"), QStringLiteral("document-open")},
        {QStringLiteral("TBItem39"), QStringLiteral("document-save-as")},
        {QStringLiteral("TBItem38"), QStringLiteral("edit-delete")},
        // payments and claims
        {QStringLiteral("TBItem44"), QStringLiteral("list-add")},
        {QStringLiteral("TBItem45"), QStringLiteral("list-add")},
        {QStringLiteral("TBItem43"), QStringLiteral("list-remove")},
        {QStringLiteral("TBItem46"), QStringLiteral("list-remove")},
        {QStringLiteral("TBItem42"), QStringLiteral("document-print")},
        {QStringLiteral("TBItem47"), QStringLiteral("document-print")},
        {QStringLiteral("exportPaymentsItem"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("exportClaimsItem"), QStringLiteral("x-office-spreadsheet")},
        // scans
        {QStringLiteral("TBItem48"), QStringLiteral("document-open")},
        {QStringLiteral("TBItem49"), QStringLiteral("document-open")},
        {QStringLiteral("TBItem52"), QStringLiteral("zoom-fit-best")},
        {QStringLiteral("TBItem53"), QStringLiteral("zoom-fit-best")},
        {QStringLiteral("TBItem36"), QStringLiteral("zoom-original")},
        {QStringLiteral("TBItem54"), QStringLiteral("zoom-original")},
    };
    return names;
}

QString ownDrawing(const QString& iconName) {
    return QStringLiteral(":/icons/actions/") + iconName + QStringLiteral(".svg");
}

}  // namespace

QIcon applicationIcon() {
    return QIcon::fromTheme(QStringLiteral("vemora-contracts"),
                            QIcon(QStringLiteral(":/icons/vemora-contracts.svg")));
}

QIcon commandIcon(const QString& itemName) {
    const QString iconName = iconNames().value(itemName);
    if (iconName.isEmpty()) return {};
    return QIcon::fromTheme(iconName, QIcon(ownDrawing(iconName)));
}
