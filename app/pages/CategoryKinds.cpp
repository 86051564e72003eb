#include "CategoryKinds.h"

#include "ContractQuery.h"

std::array<QStringList, kCategoryKinds.size()> readCategoryEntries(ContractQuery& query) {
    std::array<QStringList, kCategoryKinds.size()> entries;
    query.RunQuery(QStringLiteral("select * from infoset"));
    if (!query.eof()) {
        const int kindColumn = query.columnIndex("infosty");
        const int textColumn = query.columnIndex("infotext");
        for (; !query.eof(); query.next()) {
            const int kind = categoryKindIndex(query.textAt(kindColumn));
            if (kind >= 0) entries[size_t(kind)] << query.textAt(textColumn);
        }
    }
    query.close();
    return entries;
}
