#pragma once

#include <QString>
#include <QStringList>
#include <array>

class ContractQuery;

// The four category lists of table infoset, told apart by the kind code in `infosty`.
// Each feeds one combo box of the page "合同信息" and is edited in one box of the option
// dialog. The order is the dialog's, left to right, and the order in which the dialog
// numbers the entries when it rewrites the table.
struct CategoryKind {
    const char* code;   // infosty, compared exactly
    const char* combo;  // objectName of the page's combo box
    const char* memo;   // objectName of the dialog's box
    const char* caption;  // the combo box's caption, also the title of the dialog's box
};

inline constexpr std::array<CategoryKind, 4> kCategoryKinds = {{
    {"bmlb", "ComboBox2", "Memo1", "所属部门"},
    {"htlb", "ComboBox4", "Memo2", "合同类别"},
    {"gclb", "ComboBox3", "Memo3", "工程类别"},
    {"htpz", "ComboBox5", "Memo4", "合同项目"},
}};

// The kind with this code, or -1 for a row of no known kind (such rows are ignored).
inline int categoryKindIndex(const QString& code) {
    for (int i = 0; i < int(kCategoryKinds.size()); ++i)
        if (code == QLatin1String(kCategoryKinds[i].code)) return i;
    return -1;
}

// The entries of the four lists, in the order of the table's rows ("select * from
// infoset", insertion order), each under its kind's index; rows of no known kind are left out.
std::array<QStringList, kCategoryKinds.size()> readCategoryEntries(ContractQuery& query);
