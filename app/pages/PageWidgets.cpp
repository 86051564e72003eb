#include "PageWidgets.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QSplitter>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

QTableWidget* createListGrid(const QString& name, QWidget* parent) {
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    // Rows as low as the font allows, so that long lists stay easy to scan.
    const int rowHeight = qMax(16, grid->fontMetrics().height() + 2);
    grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    return grid;
}

void resetListGrid(QTableWidget& grid, const GridColumns& columns) {
    const QSignalBlocker quiet(grid);
    const int count = static_cast<int>(columns.size());
    grid.setRowCount(1);
    grid.setColumnCount(count);
    QStringList titles;
    for (const GridColumn& column : columns) titles << column.title;
    grid.setHorizontalHeaderLabels(titles);
    QHeaderView* header = grid.horizontalHeader();
    for (int c = 0; c < count; ++c) {
        // A key column stays shut: a person has no use for it and must not drag it open.
        header->setSectionResizeMode(
            c, columns[c].width == 0 ? QHeaderView::Fixed : QHeaderView::Interactive);
        grid.setColumnWidth(c, columns[c].width);
        grid.setItem(0, c, new QTableWidgetItem);
    }
    grid.setCurrentCell(0, 0);
}

QString cellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

QToolBar* createPageToolbar(const QString& name, QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    bar->setFloatable(false);
    return bar;
}

QLabel* addLabelledField(QGridLayout& form, int row, int pair, const NamedControl& control,
                         QWidget* field, int fieldColumnSpan) {
    field->setObjectName(control.name);
    auto* label = new QLabel(control.caption, field->parentWidget());
    label->setBuddy(field);
    form.addWidget(label, row, 2 * pair, Qt::AlignRight | Qt::AlignVCenter);
    form.addWidget(field, row, 2 * pair + 1, 1, fieldColumnSpan);
    return label;
}

QPlainTextEdit* createMemo(const NamedControl& control, QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(control.name);
    // A group title is no buddy: name the box so that it is still found by its caption.
    memo->setAccessibleName(control.caption);
    return memo;
}

QGroupBox* createGroup(const QString& caption, QWidget* content, QWidget* parent) {
    auto* group = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(content);
    return group;
}

QPushButton* createButton(const NamedControl& control, QWidget* parent) {
    auto* button = new QPushButton(control.caption, parent);
    button->setObjectName(control.name);
    return button;
}

void layOutListPage(QWidget& page, QToolBar* toolbar, QWidget* list, QWidget* lower) {
    auto* splitter = new QSplitter(Qt::Vertical, &page);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(list);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({177, 300});

    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(splitter, 1);
}

QString memoText(const QPlainTextEdit* memo) {
    // The raw text rather than toPlainText(), which would also turn no-break spaces into
    // plain ones.
    QString text = memo->document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1String("\r\n"));
    text.replace(QChar(QChar::LineSeparator), QLatin1String("\r\n"));
    return text;
}

void setMemoText(QPlainTextEdit* memo, QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    memo->setPlainText(text);
}
