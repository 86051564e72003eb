#pragma once

#include "PageWidgets.h"

// What tells the two scan archives apart: their table and columns, and the names and
// captions of every control. The two pages are otherwise built and behave the same.
struct ScanSpec {
    // The pictures' table. Its rows also carry `conid` and `picfilename`, named alike in both.
    QString table;
    QString idColumn, nameColumn, memoColumn, blobColumn;

    QString page;
    QString toolbar;
    NamedControl openItem, fitItem, actualSizeItem;

    QString scrollBox;  // the scrollable area around the picture view
    QString view;       // the picture view, sized and placed inside the scroll box

    QString grid;
    GridColumns columns;  // the last one, of width 0, holds the picture's key

    NamedControl loadButton, saveButton, replaceButton, deleteButton;
    NamedControl nameEdit;
    NamedControl memo;  // its caption is the title of the group around it
};

const ScanSpec& contractScans();
const ScanSpec& otherScans();
