// The contract register as a spreadsheet.
#include "ContractRegister.h"
#include "ReplacingFile.h"
#include "XlsxSheet.h"

namespace {

constexpr qint64 kProgressEvery = 500;

}  // namespace

bool exportRegisterXlsx(ContractQuery& query, const QString& path, const ExportProgress& progress) {
    const qint64 total = countRegisterRows(query);
    if (progress && !progress(0, total)) return false;

    ReplacingFile file(path);
    XlsxSheet sheet(file.temporaryPath(), QStringLiteral("合同台账"));
    const auto& columns = registerColumns();
    for (int c = 0; c < int(columns.size()); ++c) {
        sheet.setColumnWidth(c, columns[size_t(c)].width);
        sheet.header(0, c, columns[size_t(c)].title);
    }
    sheet.freezeRows(1);

    int row = 0;
    const bool complete = readRegister(query, [&](const RegisterRow& r) {
        ++row;
        sheet.text(row, 0, r.code);
        sheet.text(row, 1, r.name, r.depth);
        sheet.text(row, 2, r.number);
        sheet.text(row, 3, r.firstParty);
        sheet.text(row, 4, r.secondParty);
        sheet.text(row, 5, r.department);
        sheet.text(row, 6, r.category);
        sheet.date(row, 7, r.date);
        sheet.amount(row, 8, r.price);
        sheet.amount(row, 9, r.paid);
        sheet.amount(row, 10, r.settled);
        sheet.amount(row, 11, r.payments);
        sheet.amount(row, 12, r.claims);
        sheet.amount(row, 13, r.unpaid());
        sheet.text(row, 14, r.archived ? QStringLiteral("是") : QStringLiteral("否"));
        return !progress || row % kProgressEvery != 0 || progress(row, total);
    });
    if (!complete) return false;
    sheet.finish();
    if (progress && !progress(total, total)) return false;
    file.commit();
    return true;
}
