#include "Tghdwform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

#include "AppError.h"
#include "CommandGuard.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "PageWidgets.h"
#include "RecordAccess.h"
#include "SqlLiteral.h"

namespace {

struct SupplierField {
    const char* column;
    NamedControl control;
    int line;  // in the field panel, from the top
    int pair;  // 0 left, 1 right
    bool fullWidth;
};

// Every text column of ghdwinfo with its control, in the order in which the insert and
// update statements name them.
const std::vector<SupplierField>& supplierFields() {
    static const std::vector<SupplierField> fields = {
        {"dwmc", {QStringLiteral("Edit1"), QStringLiteral("单位名称")}, 0, 0, true},
        {"dwdz", {QStringLiteral("Edit2"), QStringLiteral("单位地址")}, 1, 0, true},
        {"dwxz", {QStringLiteral("ComboBox1"), QStringLiteral("单位性质")}, 2, 0, false},
        {"lxr", {QStringLiteral("Edit3"), QStringLiteral("联系人")}, 3, 0, false},
        {"dh", {QStringLiteral("Edit5"), QStringLiteral("电话")}, 4, 0, false},
        {"cz", {QStringLiteral("Edit6"), QStringLiteral("传真")}, 4, 1, false},
        {"yb", {QStringLiteral("Edit4"), QStringLiteral("邮编")}, 3, 1, false},
        {"jsyh", {QStringLiteral("Edit7"), QStringLiteral("结算银行")}, 5, 0, true},
        {"zh", {QStringLiteral("Edit8"), QStringLiteral("帐号")}, 6, 0, true},
        {"zzsh", {QStringLiteral("Edit9"), QStringLiteral("增值税号")}, 7, 0, true},
        {"sdq", {QStringLiteral("Edit11"), QStringLiteral("省/地区")}, 2, 1, false},
    };
    return fields;
}

const GridColumns& gridColumns() {
    static const GridColumns columns = {
        {QStringLiteral("省/地区"), 60},
        {QStringLiteral("单位名称"), 200},
        {QStringLiteral("编号"), 0},
    };
    return columns;
}
constexpr int kRegionColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kIdColumn = 2;

constexpr QSize kDialogSize(671, 363);
constexpr int kSearchBarHeight = 44;
constexpr int kGridWidth = 273;
constexpr int kSplitterWidth = 3;

// Texts are not limited in length: a line edit's default limit would cut a long stored
// text on load and save the cut text back.
constexpr int kUnlimited = std::numeric_limits<int>::max();

QString columnList() {
    QStringList names;
    for (const SupplierField& field : supplierFields()) names << QLatin1String(field.column);
    return names.join(QLatin1Char(','));
}

void setFieldText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);  // a long text shows its beginning
}

}  // namespace

Tghdwform::Tghdwform(ContractQuery& query, const CommandGuard& guard, QWidget* parent,
                     bool readOnly)
    : QDialog(parent), query_(query), guard_(guard), readOnly_(readOnly) {
    setObjectName(QStringLiteral("ghdwform"));
    setWindowTitle(QStringLiteral("供货单位信息"));
    setModal(true);
    buildLayout();
    setFixedSize(kDialogSize);
}

void Tghdwform::buildLayout() {
    // Made first, so that the tab key starts at the search field.
    QWidget* searchBar = buildSearchBar();

    grid_ = createListGrid(QStringLiteral("StringGrid1"), this);
    grid_->setAccessibleName(QStringLiteral("供货单位"));
    // Region and name nearly fill the list's width: beside a vertical scroll bar, a
    // horizontal one would only shift the list by a few pixels and cost a row.
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Rows are chosen whole: the tab key leaves the list for the fields.
    grid_->setTabKeyNavigation(false);
    resetListGrid(*grid_, gridColumns());
    connect(grid_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (row != previousRow) guard_.run([this] { StringGrid1Click(); });
            });

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(kSplitterWidth);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(grid_);
    splitter->addWidget(buildFieldPanel());
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kGridWidth, kDialogSize.width() - kGridWidth - kSplitterWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(searchBar);
    layout->addWidget(splitter, 1);
}

QWidget* Tghdwform::buildSearchBar() {
    auto* bar = new QWidget(this);
    bar->setFixedHeight(kSearchBarHeight);
    searchEdit_ = new QLineEdit(bar);
    searchEdit_->setObjectName(QStringLiteral("Edit10"));
    searchEdit_->setMaxLength(kUnlimited);
    auto* caption = new QLabel(QStringLiteral("输入要查询的单位名称"), bar);
    caption->setBuddy(searchEdit_);
    auto* search = createButton({QStringLiteral("FlatButton5"), QStringLiteral("查询")}, bar);
    search->setAutoDefault(false);
    connect(search, &QPushButton::clicked, this, guard_.wrap([this] { FlatButton5Click(); }));

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 0, 8, 0);
    row->addWidget(caption);
    row->addWidget(searchEdit_, 1);
    row->addWidget(search);
    return bar;
}

QWidget* Tghdwform::buildFieldPanel() {
    auto* panel = new QWidget(this);
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(6);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);

    // Made line by line, so that the tab key walks the fields as they are laid out.
    const auto& fields = supplierFields();
    columnEdits_.assign(fields.size(), nullptr);
    std::vector<size_t> layoutOrder(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) layoutOrder[i] = i;
    std::sort(layoutOrder.begin(), layoutOrder.end(), [&fields](size_t a, size_t b) {
        return std::pair(fields[a].line, fields[a].pair) <
               std::pair(fields[b].line, fields[b].pair);
    });
    for (const size_t i : layoutOrder) {
        const SupplierField& field = fields[i];
        QWidget* control = nullptr;
        if (field.control.name == QLatin1String("ComboBox1")) {
            kindBox_ = new QComboBox(panel);
            kindBox_->setEditable(true);
            // The entries are offered only: what is typed stays the unit's text and is
            // never added to the list.
            kindBox_->setInsertPolicy(QComboBox::NoInsert);
            kindBox_->addItems({QStringLiteral("供方"), QStringLiteral("需方")});
            kindBox_->setCurrentIndex(-1);
            connect(kindBox_->lineEdit(), &QLineEdit::textEdited, this,
                    [this] { guard_.run([this] { ComboBox1Change(); }); });
            connect(kindBox_, &QComboBox::textActivated, this,
                    [this] { guard_.run([this] { ComboBox1Change(); }); });
            columnEdits_[i] = kindBox_->lineEdit();
            control = kindBox_;
        } else {
            auto* edit = new QLineEdit(panel);
            // textEdited, not textChanged: texts the dialog sets itself are no edit.
            connect(edit, &QLineEdit::textEdited, this,
                    [this] { guard_.run([this] { Edit1Change(); }); });
            columnEdits_[i] = edit;
            control = edit;
        }
        columnEdits_[i]->setMaxLength(kUnlimited);
        addLabelledField(*form, field.line, field.pair, field.control, control,
                         field.fullWidth ? 3 : 1);
    }

    auto* add = createButton({QStringLiteral("FlatButton1"), QStringLiteral("新增")}, panel);
    saveButton_ = createButton({QStringLiteral("FlatButton2"), QStringLiteral("保存")}, panel);
    auto* remove = createButton({QStringLiteral("FlatButton3"), QStringLiteral("删除")}, panel);
    auto* quit = createButton({QStringLiteral("FlatButton4"), QStringLiteral("退出")}, panel);
    saveButton_->setEnabled(false);
    if (readOnly_) {
        add->setEnabled(false);
        remove->setEnabled(false);
        for (QLineEdit* edit : columnEdits_)
            if (edit) edit->setReadOnly(true);
        kindBox_->setEnabled(false);
    }
    for (QPushButton* button : {add, saveButton_, remove, quit}) button->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, guard_.wrap([this] { FlatButton1Click(); }));
    connect(saveButton_, &QPushButton::clicked, this, guard_.wrap([this] { FlatButton2Click(); }));
    connect(remove, &QPushButton::clicked, this, guard_.wrap([this] { FlatButton3Click(); }));
    connect(quit, &QPushButton::clicked, this, [this] { FlatButton4Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* button : {add, saveButton_, remove, quit}) buttons->addWidget(button);

    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(8, 8, 8, 8);
    column->addLayout(form);
    column->addStretch(1);
    column->addLayout(buttons);
    return panel;
}

void Tghdwform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    guard_.run([this] { FormShow(); });
}

// ---------------------------------------------------------------- loading

void Tghdwform::FormShow() {
    emptyFields();
    searchEdit_->clear();
    LoadSupplierGrid();
    StringGrid1Click();
}

void Tghdwform::LoadSupplierGrid() {
    resetListGrid(*grid_, gridColumns());
    struct Row {
        QString region;
        QString name;
        qint64 id;
    };
    std::vector<Row> rows;
    query_.RunQuery(QStringLiteral("select * from ghdwinfo order by sdq asc,dwmc asc"));
    if (!query_.eof()) {
        const int region = query_.columnIndex("sdq");
        const int name = query_.columnIndex("dwmc");
        const int id = query_.columnIndex("id");
        for (; !query_.eof(); query_.next())
            rows.push_back({query_.textAt(region), query_.textAt(name), query_.integerAt(id)});
    }
    query_.close();
    if (rows.empty()) return;  // the one empty row stays

    // Without signals: a reload leaves the first row current without running its click.
    const QSignalBlocker quiet(grid_);
    grid_->setUpdatesEnabled(false);
    grid_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        grid_->setItem(r, kRegionColumn, new QTableWidgetItem(rows[r].region));
        grid_->setItem(r, kNameColumn, new QTableWidgetItem(rows[r].name));
        grid_->setItem(r, kIdColumn, new QTableWidgetItem(QString::number(rows[r].id)));
    }
    grid_->setUpdatesEnabled(true);
}

void Tghdwform::StringGrid1Click() {
    const std::optional<qint64> id = currentId();
    if (!id) return;  // the empty row of an empty directory
    LoadSupplierRecord(*id);
}

void Tghdwform::LoadSupplierRecord(qint64 id) {
    const auto& fields = supplierFields();
    QStringList texts;
    try {
        query_.RunQuery(QStringLiteral("select * from ghdwinfo where id=") + QString::number(id));
        if (query_.eof())
            throw AppError(QStringLiteral("供货单位记录不存在"),
                           QStringLiteral("编号 ") + QString::number(id));
        for (const SupplierField& field : fields) texts << query_.text(field.column);
        shownUnit_ = RowVersion::ofCurrentRow(query_, id);
        query_.close();
    } catch (...) {
        // Fields that still showed the unit before would be saved over the current one.
        query_.close();
        emptyFields();
        saveButton_->setEnabled(false);
        throw;
    }
    kindBox_->setCurrentIndex(-1);
    for (size_t i = 0; i < fields.size(); ++i) setFieldText(columnEdits_[i], texts[int(i)]);
    saveButton_->setEnabled(false);
}

// ---------------------------------------------------------------- editing

void Tghdwform::Edit1Change() {
    // Only a unit that is in the list can be edited; typing into the fields of an empty
    // directory arms nothing.
    const std::optional<qint64> id = currentId();
    if (readOnly_ || !id || *id == 0) return;
    saveButton_->setEnabled(true);
    if (editMode_ == EditMode::Idle) editMode_ = EditMode::Edited;
}

void Tghdwform::ComboBox1Change() { Edit1Change(); }

void Tghdwform::FlatButton1Click() {
    emptyFields();
    searchEdit_->clear();
    columnEdits_.front()->setFocus();
    editMode_ = EditMode::NewRecord;
    saveButton_->setEnabled(true);
}

void Tghdwform::FlatButton2Click() {
    if (editMode_ == EditMode::NewRecord) {
        const QString values = fieldLiterals().join(QLatin1Char(','));
        const qint64 id = InsertWithNextId(
            query_, QStringLiteral("ghdwinfo"), QStringLiteral("id"), [&](qint64 key) -> QString {
                return QStringLiteral("insert into ghdwinfo (id,") + columnList() +
                       QStringLiteral(") values (") + QString::number(key) + QLatin1Char(',') +
                       values + QLatin1Char(')');
            });
        editMode_ = EditMode::Idle;
        saveButton_->setEnabled(false);
        LoadSupplierGrid();
        makeUnitCurrent(id);
        return;
    }

    // A failed update is reported like a failed insert, and leaves "保存" armed so that
    // the edits are neither lost nor taken for saved.
    const std::optional<qint64> id = currentId();
    if (!id) throw AppError(QStringLiteral("没有选中供货单位，未能保存"));
    const auto& fields = supplierFields();
    const QStringList literals = fieldLiterals();
    QStringList assignments;
    for (size_t i = 0; i < fields.size(); ++i)
        assignments << QLatin1String(fields[i].column) + QLatin1Char('=') + literals[int(i)];
    const QString update = QStringLiteral("update ghdwinfo set ") +
                           assignments.join(QLatin1Char(',')) + QStringLiteral(" where id=") +
                           QString::number(*id);
    if (shownUnit_.update(query_, *id, update) == 0)
        throw AppError(QStringLiteral("供货单位记录不存在，未能保存"),
                       QStringLiteral("编号 ") + QString::number(*id));
    editMode_ = EditMode::Idle;
    saveButton_->setEnabled(false);
    LoadSupplierGrid();
    makeUnitCurrent(*id);
}

void Tghdwform::FlatButton3Click() {
    if (!askYesNo(guard_.desktop(), this, QStringLiteral("确定要删除当前供货商记录吗？"),
                  QStringLiteral("确认"), MessageIcon::Question))
        return;
    const int row = grid_->currentRow();
    const std::optional<qint64> id = currentId();
    if (!id) return;  // the empty row of an empty directory: nothing to delete
    query_.RunCommand(QStringLiteral("delete from ghdwinfo where id=") + QString::number(*id));
    LoadSupplierGrid();
    // Further down the list, the unit above the deleted one becomes current; at the top,
    // the first row stays current. Either way the fields must not keep the deleted unit,
    // or a save would write its texts over the unit now current.
    if (row >= 2) {
        makeRowCurrent(row - 1);
    } else if (currentId()) {
        StringGrid1Click();
    } else {
        emptyFields();
        saveButton_->setEnabled(false);
    }
}

void Tghdwform::FlatButton4Click() { reject(); }

// ---------------------------------------------------------------- searching

void Tghdwform::FlatButton5Click() {
    const QString wanted = searchEdit_->text();
    const auto matches = [this, &wanted](int row) {
        return !wanted.isEmpty() &&
               cellText(*grid_, row, kNameColumn).contains(wanted, Qt::CaseSensitive);
    };
    // First the rows below the current one, then the whole list from the top, so that a
    // name only the current row holds is still found.
    const int rows = grid_->rowCount();
    const int current = std::max(grid_->currentRow(), 0);
    for (int row = current + 1; row < rows; ++row) {
        if (matches(row)) return makeRowCurrent(row);
    }
    for (int row = 0; row < rows; ++row) {
        if (matches(row)) return makeRowCurrent(row);
    }
    showWarning(guard_.desktop(), this, QStringLiteral("没有找到"));
}

// ---------------------------------------------------------------- helpers

void Tghdwform::emptyFields() {
    kindBox_->setCurrentIndex(-1);
    for (QLineEdit* edit : columnEdits_) edit->clear();
}

std::optional<qint64> Tghdwform::currentId() const {
    const int row = grid_->currentRow();
    if (row < 0) return std::nullopt;
    bool ok = false;
    const qint64 id = cellText(*grid_, row, kIdColumn).toLongLong(&ok);
    if (!ok) return std::nullopt;
    return id;
}

void Tghdwform::makeRowCurrent(int row) {
    grid_->setCurrentCell(row, std::max(grid_->currentColumn(), 0));
}

void Tghdwform::makeUnitCurrent(qint64 id) {
    const QString wanted = QString::number(id);
    for (int row = 0; row < grid_->rowCount(); ++row) {
        if (cellText(*grid_, row, kIdColumn) == wanted) return makeRowCurrent(row);
    }
}

QStringList Tghdwform::fieldLiterals() const {
    QStringList literals;
    for (const QLineEdit* edit : columnEdits_) literals << sql::textLiteral(edit->text());
    return literals;
}
