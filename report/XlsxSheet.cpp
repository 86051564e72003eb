#include "XlsxSheet.h"

#include <xlsxwriter.h>

#include <QFile>

#include "AppError.h"
#include "ReplacingFile.h"

namespace {

// Formats are made once per kind and reused; the key of an indented text is its depth.
enum FormatKey {
    kHeader = -1,
    kAmount = -2,
    kDate = -3,
    kBoldAmount = -4,
    kBoldText = -5,
};

// A cell holds at most 32767 characters, and the library counts them in bytes; a longer
// text is cut at a character boundary rather than leaving the cell empty.
constexpr qsizetype kLongestCellText = 32767;

QByteArray cellText(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= kLongestCellText) return utf8;
    qsizetype end = kLongestCellText;
    while (end > 0 && (uchar(utf8[end]) & 0xC0) == 0x80) --end;
    utf8.truncate(end);
    return utf8;
}

}  // namespace

XlsxSheet::XlsxSheet(const QString& path, const QString& sheetName) : path_(path) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    const QByteArray name = QFile::encodeName(path);
    workbook_ = workbook_new_opt(name.constData(), &options);
    if (!workbook_) throw AppError(cannotWriteFileMessage(path));
    sheet_ = workbook_add_worksheet(workbook_, sheetName.toUtf8().constData());
    if (!sheet_) {
        lxw_workbook_free(workbook_);
        throw AppError(cannotWriteFileMessage(path));
    }
}

XlsxSheet::~XlsxSheet() {
    // Not finished: the rows written so far are dropped and no file is made.
    if (workbook_) lxw_workbook_free(workbook_);
}

void XlsxSheet::check(int error) const {
    if (error != LXW_NO_ERROR)
        throw AppError(cannotWriteFileMessage(path_),
                       QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(error))));
}

lxw_format* XlsxSheet::format(int key) {
    const auto found = formats_.find(key);
    if (found != formats_.end()) return found->second;
    lxw_format* f = workbook_add_format(workbook_);
    switch (key) {
        case kHeader:
            format_set_bold(f);
            format_set_bottom(f, LXW_BORDER_THIN);
            break;
        case kBoldAmount:
            format_set_bold(f);
            [[fallthrough]];
        case kAmount:
            format_set_num_format(f, "#,##0.00");
            break;
        case kDate:
            format_set_num_format(f, "yyyy-mm-dd");
            break;
        case kBoldText:
            format_set_bold(f);
            break;
        default:
            format_set_indent(f, uint8_t(std::min(key, 15)));
    }
    formats_.emplace(key, f);
    return f;
}

QString XlsxSheet::cellName(int row, int column) {
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26) letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

void XlsxSheet::setColumnWidth(int column, double width) {
    check(worksheet_set_column(sheet_, lxw_col_t(column), lxw_col_t(column), width, nullptr));
}

void XlsxSheet::freezeRows(int rows) { worksheet_freeze_panes(sheet_, lxw_row_t(rows), 0); }

void XlsxSheet::header(int row, int column, const QString& text) {
    check(worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(column),
                                 cellText(text).constData(), format(kHeader)));
}

void XlsxSheet::text(int row, int column, const QString& text, int indent) {
    if (text.isEmpty()) return;
    check(worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(column),
                                 cellText(text).constData(),
                                 indent > 0 ? format(indent) : nullptr));
}

void XlsxSheet::boldText(int row, int column, const QString& text) {
    check(worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(column),
                                 cellText(text).constData(), format(kBoldText)));
}

void XlsxSheet::amount(int row, int column, double value) {
    check(
        worksheet_write_number(sheet_, lxw_row_t(row), lxw_col_t(column), value, format(kAmount)));
}

void XlsxSheet::date(int row, int column, const QDate& date) {
    // Excel counts days from 1899-12-30 and shows nothing before 1900-03-01 correctly.
    if (!date.isValid() || date < QDate(1900, 3, 1)) return;
    check(worksheet_write_number(sheet_, lxw_row_t(row), lxw_col_t(column),
                                 double(QDate(1899, 12, 30).daysTo(date)), format(kDate)));
}

void XlsxSheet::amountFormula(int row, int column, const QString& formula, double value,
                              bool bold) {
    check(worksheet_write_formula_num(sheet_, lxw_row_t(row), lxw_col_t(column),
                                      formula.toUtf8().constData(),
                                      format(bold ? kBoldAmount : kAmount), value));
}

void XlsxSheet::finish() {
    lxw_workbook* workbook = workbook_;
    workbook_ = nullptr;  // closing frees it, whatever the outcome
    check(workbook_close(workbook));
}
