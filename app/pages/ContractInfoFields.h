#pragma once

#include <vector>

// How a field of the page "合同信息" is edited and how its column is written.
enum class FieldControl {
    Text,    // line edit over a text column
    Amount,  // line edit over an amount column: checked before saving, written as typed
    Choice,  // editable combo box over a text column; its list only offers choices
    Flag,    // check box over a flag column ('true'/'false')
    Date,    // date picker over a date column, the date part only
    Memo,    // several lines over a text column, stored with CR LF line breaks
};

// One field of the page: the htmain column it shows, its control and where it sits.
struct ContractField {
    const char* column;
    const char* control;  // the widget's objectName
    const char* caption;  // UTF-8
    FieldControl kind;
    int line;                              // line on the page, from 1 at the top
    int quarters;                          // width on its line, in quarters of the page's width
    const char* invalidMessage = nullptr;  // amounts: why the typed text was refused (UTF-8)
    // Older contract files may lack the column until they are opened writable once.
    bool mayBeMissing = false;
};

// Every field, in the order of the save statement's assignments. The page is laid out by
// `line`; within a line, in this order.
const std::vector<ContractField>& contractFields();

// The page's bands: a horizontal rule follows each of these lines.
const std::vector<int>& bandEndLines();
