#include "ScanPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "CommandGuard.h"
#include "CommandItem.h"

namespace {

// The two display modes are one choice: exactly one is checked.
const QString kDisplayMode = QStringLiteral("displayMode");

GridColumns scanColumns() {
    return {{QStringLiteral("图形名称"), 200}, {QStringLiteral("编号"), 0}};
}

}  // namespace

const ScanSpec& contractScans() {
    static const ScanSpec spec = [] {
        ScanSpec s;
        s.page = QStringLiteral("TabSheet5");
        s.toolbar = QStringLiteral("TBToolbar7");
        s.openItem = {QStringLiteral("TBItem48"), QStringLiteral("打开")};
        s.fitItem = {QStringLiteral("TBItem52"), QStringLiteral("合适比例显示")};
        s.actualSizeItem = {QStringLiteral("TBItem36"), QStringLiteral("原大小显示")};
        s.scrollBox = QStringLiteral("ScrollBox4");
        s.view = QStringLiteral("Image2");
        s.grid = QStringLiteral("StringGrid4");
        s.columns = scanColumns();
        s.loadButton = {QStringLiteral("FlatButton1"), QStringLiteral("载入图片")};
        s.saveButton = {QStringLiteral("FlatButton2"), QStringLiteral("保存图片")};
        s.replaceButton = {QStringLiteral("FlatButton11"), QStringLiteral("替换当前图片")};
        s.deleteButton = {QStringLiteral("FlatButton3"), QStringLiteral("删除图片")};
        s.nameEdit = {QStringLiteral("Edit40"), QStringLiteral("图片名称")};
        s.memo = {QStringLiteral("Memo2"), QStringLiteral("说明")};
        return s;
    }();
    return spec;
}

const ScanSpec& otherScans() {
    static const ScanSpec spec = [] {
        ScanSpec s;
        s.page = QStringLiteral("TabSheet6");
        s.toolbar = QStringLiteral("TBToolbar8");
        s.openItem = {QStringLiteral("TBItem49"), QStringLiteral("打开")};
        s.fitItem = {QStringLiteral("TBItem53"), QStringLiteral("合适比例显示")};
        s.actualSizeItem = {QStringLiteral("TBItem54"), QStringLiteral("原大小显示")};
        s.scrollBox = QStringLiteral("ScrollBox3");
        s.view = QStringLiteral("Image4");
        s.grid = QStringLiteral("StringGrid5");
        s.columns = scanColumns();
        s.loadButton = {QStringLiteral("FlatButton4"), QStringLiteral("载入图片")};
        s.saveButton = {QStringLiteral("FlatButton5"), QStringLiteral("保存图片")};
        s.replaceButton = {QStringLiteral("FlatButton12"), QStringLiteral("替换当前图片")};
        s.deleteButton = {QStringLiteral("FlatButton6"), QStringLiteral("删除图片")};
        s.nameEdit = {QStringLiteral("Edit41"), QStringLiteral("图片名称")};
        s.memo = {QStringLiteral("Memo3"), QStringLiteral("说明")};
        return s;
    }();
    return spec;
}

ScanPage::ScanPage(const ScanSpec& spec, ContractQuery& query, const CommandGuard& guard,
                   QWidget* parent)
    : QWidget(parent), spec_(spec), query_(query), guard_(guard) {
    setObjectName(spec.page);

    // The picture gets whatever the window gains; list and details keep their size.
    auto* top = new QSplitter(Qt::Horizontal, this);
    top->setChildrenCollapsible(false);
    top->addWidget(buildPictureArea());
    top->addWidget(buildListArea());
    top->setStretchFactor(0, 1);
    top->setStretchFactor(1, 0);
    top->setSizes({560, 240});

    auto* page = new QSplitter(Qt::Vertical, this);
    page->setChildrenCollapsible(false);
    page->addWidget(top);
    page->addWidget(buildDetailsArea());
    page->setStretchFactor(0, 1);
    page->setStretchFactor(1, 0);
    page->setSizes({420, 130});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
}

QWidget* ScanPage::buildPictureArea() {
    auto* area = new QWidget(this);

    auto* toolbar = createPageToolbar(spec_.toolbar, area);
    const auto displayMode = [](const NamedControl& item, bool checked) {
        CommandItem mode{item.name, item.caption};
        mode.radioGroup = kDisplayMode;
        mode.checked = checked;
        return mode;
    };
    addCommandItems(toolbar,
                    {
                        {spec_.openItem.name, spec_.openItem.caption},
                        displayMode(spec_.fitItem, true),
                        displayMode(spec_.actualSizeItem, false),
                    },
                    this, guard_);

    // The view is placed and sized by hand inside the box's canvas, so that a fitted
    // picture can sit centred and an actual-size one can scroll.
    scrollBox_ = new QScrollArea(area);
    scrollBox_->setObjectName(spec_.scrollBox);
    scrollBox_->setWidgetResizable(false);
    auto* canvas = new QWidget;
    view_ = new QLabel(canvas);
    view_->setObjectName(spec_.view);
    view_->setScaledContents(true);
    view_->hide();
    scrollBox_->setWidget(canvas);

    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(scrollBox_, 1);
    return area;
}

QWidget* ScanPage::buildListArea() {
    auto* area = new QWidget(this);
    grid_ = createListGrid(spec_.grid, area);
    resetListGrid(*grid_, spec_.columns);

    auto* buttons = new QGridLayout;
    buttons->addWidget(createButton(spec_.loadButton, area), 0, 0);
    buttons->addWidget(createButton(spec_.saveButton, area), 0, 1);
    buttons->addWidget(createButton(spec_.replaceButton, area), 1, 0);
    buttons->addWidget(createButton(spec_.deleteButton, area), 1, 1);

    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    return area;
}

QWidget* ScanPage::buildDetailsArea() {
    auto* area = new QWidget(this);
    auto* form = new QGridLayout(area);
    form->setContentsMargins(6, 6, 6, 6);
    nameEdit_ = new QLineEdit(area);
    addLabelledField(*form, 0, 0, spec_.nameEdit, nameEdit_);
    memo_ = createMemo(spec_.memo, area);
    form->addWidget(createGroup(spec_.memo.caption, memo_, area), 1, 0, 1, 2);
    form->setColumnStretch(1, 1);
    form->setRowStretch(1, 1);
    return area;
}

void ScanPage::loadList(std::optional<qint64> contractId) {
    resetListGrid(*grid_, spec_.columns);
    if (!contractId) return;
    // The contract's pictures are read here once pictures are stored.
}

void ScanPage::clearEditors() {
    nameEdit_->clear();
    memo_->clear();
}
