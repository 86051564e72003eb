#pragma once

#include <QString>
#include <vector>

class QGridLayout;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolBar;
class QWidget;

// A control of a page as a person and a test know it: its objectName and its caption
// (the text of a toolbar item or button, or the label of a field).
struct NamedControl {
    QString name;
    QString caption;
};

// One column of a list grid: its title and its width in pixels (0 hides it).
struct GridColumn {
    QString title;
    int width;
};
using GridColumns = std::vector<GridColumn>;

// The list grids of the pages show one record per row under a header that carries the
// column titles; the last column, of width 0, holds each row's key, and commands find
// their record through that cell. Rows are counted from 0 here: the first record row is
// row 0, the header is not a row.
QTableWidget* createListGrid(const QString& name, QWidget* parent);

// Cuts the grid back to its titles and one empty row, and makes that row current.
// Runs without the grid's signals, so that a reload never counts as the person moving
// to another row: the row-click actions hang on currentCellChanged and must not fire.
void resetListGrid(QTableWidget& grid, const GridColumns& columns);

// The text of a cell; empty for a cell that holds no item.
QString cellText(const QTableWidget& grid, int row, int column);

// A page's own toolbar: captions only, the pages have no pictures for their commands.
QToolBar* createPageToolbar(const QString& name, QWidget* parent);

// Puts `field` into the form at (row, column pair) with a label carrying the caption as
// its buddy, which is how screen readers and UI automation find the field by caption.
QLabel* addLabelledField(QGridLayout& form, int row, int pair, const NamedControl& control,
                         QWidget* field, int fieldColumnSpan = 1);

// A multi-line box that lives in a group carrying its caption; see createGroup.
QPlainTextEdit* createMemo(const NamedControl& control, QWidget* parent);
// A memo's text as the file keeps it, with CR LF line breaks (Shift+Enter's line
// separator too), and back. Stored texts loaded and saved again come back unchanged.
QString memoText(const QPlainTextEdit* memo);
void setMemoText(QPlainTextEdit* memo, QString text);

// A framed group with a caption around one widget, which it takes over.
QGroupBox* createGroup(const QString& caption, QWidget* content, QWidget* parent);

QPushButton* createButton(const NamedControl& control, QWidget* parent);

// Lays a list page out: its toolbar, then the list over the rest of the page, split so
// that the list keeps its height when the window grows and the lower part takes the rest.
void layOutListPage(QWidget& page, QToolBar* toolbar, QWidget* list, QWidget* lower);
