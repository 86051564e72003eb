#pragma once

#include <QDate>
#include <QString>
#include <map>
#include <memory>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// One workbook with one worksheet, written row by row in the library's constant-memory
// mode: each row goes to disk when the next one starts, so a sheet of any length takes
// the same memory. Rows must therefore be written top to bottom. Every write that the
// library refuses throws AppError; nothing is written to `path` before finish().
class XlsxSheet {
  public:
    XlsxSheet(const QString& path, const QString& sheetName);
    ~XlsxSheet();
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    // Column widths in characters, and the top rows kept in view while scrolling.
    void setColumnWidth(int column, double width);
    void freezeRows(int rows);

    void header(int row, int column, const QString& text);
    void text(int row, int column, const QString& text, int indent = 0);
    // Amounts: numbers shown with two decimals.
    void amount(int row, int column, double value);
    // A real date; an invalid date (or one Excel cannot show) leaves the cell empty.
    void date(int row, int column, const QDate& date);
    // A formula with the value it gives, shown as an amount.
    void amountFormula(int row, int column, const QString& formula, double value,
                       bool bold = false);
    void boldText(int row, int column, const QString& text);

    // Writes the file; throws AppError when it cannot.
    void finish();

    // "B2" for row 1, column 1.
    static QString cellName(int row, int column);

  private:
    lxw_format* format(int key);
    void check(int error) const;

    QString path_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    std::map<int, lxw_format*> formats_;
};
