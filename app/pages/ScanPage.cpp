#include "ScanPage.h"

#include <QAction>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "BlobTransfer.h"
#include "CommandGuard.h"
#include "CommandItem.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "GridRowClick.h"
#include "RecordAccess.h"
#include "ScanView.h"
#include "ScanViewLayout.h"
#include "ScratchFolder.h"
#include "ScratchFolderCheck.h"
#include "SqlLiteral.h"
#include "Transaction.h"

namespace {

// The picture dialog (OpenDialog5), shared by both pages: every kind of picture first, then
// the kinds one by one. Metafiles are offered as they always were and refused with a
// message when chosen, since they cannot be decoded here.
const FileDialogRequest kPictureDialog{
    QStringLiteral("打开"),
    QStringLiteral("All (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png *.tif *.tiff *.webp);;"
                   "CompuServe GIF Image (*.gif);;JPEG Image File (*.jpg);;"
                   "JPEG Image File (*.jpeg);;Bitmaps (*.bmp);;Icons (*.ico);;"
                   "Enhanced Metafiles (*.emf)")};

// A stored picture's row, without its bytes.
struct StoredScan {
    QString name;
    QString memo;
    QString fileName;
    bool hasPicture = false;
};

// The two display modes are one choice: exactly one is checked.
const QString kDisplayMode = QStringLiteral("displayMode");

GridColumns scanColumns() {
    return {{QStringLiteral("图形名称"), 200}, {QStringLiteral("编号"), 0}};
}

}  // namespace

const ScanSpec& contractScans() {
    static const ScanSpec spec = [] {
        ScanSpec s;
        s.table = QStringLiteral("htyj");
        s.idColumn = QStringLiteral("htyjid");
        s.nameColumn = QStringLiteral("htyjname");
        s.memoColumn = QStringLiteral("htyjsm");
        s.blobColumn = QStringLiteral("htyjpic");
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
        s.table = QStringLiteral("htqtyj");
        s.idColumn = QStringLiteral("qtyjid");
        s.nameColumn = QStringLiteral("qtyjname");
        s.memoColumn = QStringLiteral("qtyjsm");
        s.blobColumn = QStringLiteral("qtyjpic");
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
                   const ScratchFolder& scratch, QWidget* parent)
    : QWidget(parent), spec_(spec), query_(query), guard_(guard), scratch_(scratch) {
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
    // Choosing a mode, the checked one too, lays the view out again (TBItem52Click).
    const auto displayMode = [this](const NamedControl& item, bool checked) {
        CommandItem mode{item.name, item.caption};
        mode.radioGroup = kDisplayMode;
        mode.checked = checked;
        mode.run = [this] { layoutView(); };
        return mode;
    };
    CommandItem open{spec_.openItem.name, spec_.openItem.caption};
    open.run = [this] { openPicture(); };
    addCommandItems(toolbar,
                    {
                        open,
                        displayMode(spec_.fitItem, true),
                        displayMode(spec_.actualSizeItem, false),
                    },
                    this, guard_);
    fitItem_ = findChild<QAction*>(spec_.fitItem.name);

    // The view is placed and sized by hand inside the box's canvas, so that a fitted
    // picture can sit centred and an actual-size one can scroll.
    scrollBox_ = new QScrollArea(area);
    scrollBox_->setObjectName(spec_.scrollBox);
    scrollBox_->setWidgetResizable(false);
    auto* canvas = new QWidget;
    view_ = new ScanView(canvas);
    view_->setObjectName(spec_.view);
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
    connectRowClick(*grid_, guard_, [this] { showCurrentRow(); });

    const auto button = [this, area](const NamedControl& control, void (ScanPage::*command)()) {
        QPushButton* made = createButton(control, area);
        connect(made, &QPushButton::clicked, this,
                guard_.wrap([this, command] { (this->*command)(); }));
        return made;
    };
    auto* buttons = new QGridLayout;
    buttons->addWidget(button(spec_.loadButton, &ScanPage::loadPicture), 0, 0);
    buttons->addWidget(button(spec_.saveButton, &ScanPage::savePicture), 0, 1);
    buttons->addWidget(button(spec_.replaceButton, &ScanPage::replacePicture), 1, 0);
    buttons->addWidget(button(spec_.deleteButton, &ScanPage::deletePicture), 1, 1);

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
    contractId_ = contractId;
    resetListGrid(*grid_, spec_.columns);
    if (!contractId) return;
    const int count = CountRows(query_, spec_.table, *contractId);
    const QSignalBlocker quiet(grid_);
    grid_->setRowCount(qMax(count, 1));
    // The names and keys only: a picture's bytes are read when it is shown.
    query_.RunQuery(QStringLiteral("select ") + spec_.idColumn + QStringLiteral(" as id,") +
                    spec_.nameColumn + QStringLiteral(" as name from ") + spec_.table +
                    QStringLiteral(" where conid=") + QString::number(*contractId));
    for (int row = 0; !query_.eof() && row < grid_->rowCount(); query_.next(), ++row) {
        grid_->setItem(row, 0, new QTableWidgetItem(query_.text("name")));
        grid_->setItem(row, 1, new QTableWidgetItem(QString::number(query_.integer("id"))));
    }
    query_.close();
}

void ScanPage::clearEditors() {
    nameEdit_->clear();
    memo_->clear();
}

std::optional<qint64> ScanPage::rowId(int row) const {
    bool ok = false;
    const qint64 id = cellText(*grid_, row, int(spec_.columns.size()) - 1).toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

// ---------------------------------------------------------------- showing a stored picture

namespace {

// The row of a key, or none when it cannot be read; the query is closed either way.
std::optional<StoredScan> readStoredScan(ContractQuery& query, const ScanSpec& spec, qint64 id) {
    try {
        query.RunQuery(QStringLiteral("select ") + spec.nameColumn + QStringLiteral(" as name,") +
                       spec.memoColumn + QStringLiteral(" as memo,picfilename,typeof(") +
                       spec.blobColumn + QStringLiteral(") as kind from ") + spec.table +
                       QStringLiteral(" where ") + spec.idColumn + QLatin1Char('=') +
                       QString::number(id));
        std::optional<StoredScan> row;
        if (!query.eof())
            row = StoredScan{query.text("name"), query.text("memo"), query.text("picfilename"),
                             query.text("kind") != QLatin1String("null")};
        query.close();
        return row;
    } catch (const AppError&) {
        query.close();
        return std::nullopt;
    }
}

}  // namespace

void ScanPage::setWritable(bool writable) {
    for (const NamedControl* control :
         {&spec_.loadButton, &spec_.saveButton, &spec_.replaceButton, &spec_.deleteButton})
        if (auto* button = findChild<QPushButton*>(control->name)) button->setEnabled(writable);
}

void ScanPage::dropPicture() {
    picture_ = ScanPicture();
    view_->clearImage();
}

QString ScanPage::extractToScratch(qint64 id, const QString& storedName) {
    QString target;
    try {
        target = scratch_.prepareFile(storedName);
    } catch (const AppError&) {
        dropPicture();
        throw;  // held open by another program past the wait: the person is told
    }
    try {
        ExtractBlobToFile(query_, spec_.table, spec_.idColumn, id, spec_.blobColumn, target);
    } catch (const AppError&) {
        query_.close();
        dropPicture();
        return {};
    }
    return target;
}

// A row that cannot be shown (no picture stored, bytes that are no picture, a file that
// cannot be written) leaves its name and description shown, the view empty and the pending
// picture pending, without a message. Only what the person can act on is told: a scratch
// folder that cannot be made, a scratch file held by another program, a picture too large.
void ScanPage::showCurrentRow() {
    const std::optional<qint64> id = rowId(grid_->currentRow());
    const std::optional<StoredScan> row = id ? readStoredScan(query_, spec_, *id) : std::nullopt;
    if (!row) {
        shownVersion_ = RowVersion();
        dropPicture();
        return;
    }
    nameEdit_->setText(row->name);
    setMemoText(memo_, row->memo);
    shownVersion_ = RowVersion::read(query_, spec_.table, spec_.idColumn, *id);

    const QString target = extractStoredPicture(*id, row->hasPicture, row->fileName);
    if (target.isEmpty()) return;
    try {
        picture_ = ScanPicture::fromFile(target);
        view_->clearImage();
        layoutView();
    } catch (const PictureTooLarge&) {
        dropPicture();
        throw;
    } catch (const AppError&) {
        dropPicture();
        return;
    }
    pendingFile_.clear();
}

// The row's stored picture taken out to the scratch folder; empty when the row holds none
// (the view is then emptied) or the file could not be written.
QString ScanPage::extractStoredPicture(qint64 id, bool hasPicture, const QString& storedName) {
    ensureScratchFolder(scratch_, guard_.desktop(), this);
    if (!hasPicture) {
        dropPicture();
        return {};
    }
    return extractToScratch(id, storedName);
}

// Opens the stored picture of the current row, never a loaded one not yet saved, with the
// program the desktop chooses for its kind; whether one was found is not examined.
void ScanPage::openPicture() {
    const std::optional<qint64> id = rowId(grid_->currentRow());
    const std::optional<StoredScan> row = id ? readStoredScan(query_, spec_, *id) : std::nullopt;
    if (!row) {
        dropPicture();
        return;
    }
    const QString target = extractStoredPicture(*id, row->hasPicture, row->fileName);
    if (target.isEmpty()) return;
    guard_.desktop().shellOpen(QUrl::fromLocalFile(target));
}

// ---------------------------------------------------------------- loading and storing

// The name and description are left as they are: they may already be typed.
void ScanPage::loadPicture() {
    const QString path = guard_.desktop().chooseFileToOpen(this, kPictureDialog);
    if (path.isEmpty()) return;
    view_->hide();
    ScanPicture picture = ScanPicture::fromFile(path);  // a failure is told; nothing pending
    picture_ = std::move(picture);
    view_->clearImage();
    layoutView();
    pendingFile_ = path;
}

bool ScanPage::nameIsMissing() {
    if (!nameEdit_->text().isEmpty()) return false;
    showWarning(guard_.desktop(), this, QStringLiteral("请输入图片名称"));
    nameEdit_->setFocus();
    return true;
}

// A new row with the pending picture, or with none; the row and its bytes come together or
// not at all. Afterwards the last row is made current, which shows it from the file unless
// it is the first and only one: then the loaded picture stays shown and pending.
void ScanPage::savePicture() {
    if (nameIsMissing() || !contractId_) return;
    {
        Transaction transaction(query_);
        const qint64 id = NextId(query_, spec_.table, spec_.idColumn);
        query_.RunCommand(
            QStringLiteral("insert into ") + spec_.table + QStringLiteral(" (") + spec_.idColumn +
            QStringLiteral(",conid,") + spec_.nameColumn + QLatin1Char(',') + spec_.memoColumn +
            QStringLiteral(",picfilename) values (") + QString::number(id) + QLatin1Char(',') +
            QString::number(*contractId_) + QLatin1Char(',') + sql::textLiteral(nameEdit_->text()) +
            QLatin1Char(',') + sql::textLiteral(memoText(memo_)) + QLatin1Char(',') +
            sql::textLiteral(QFileInfo(pendingFile_).fileName()) + QLatin1Char(')'));
        StoreFileInBlob(query_, spec_.table, spec_.idColumn, id, spec_.blobColumn, pendingFile_);
        transaction.commit();
    }
    loadList(contractId_);
    grid_->setCurrentCell(grid_->rowCount() - 1, 0);
}

// The current row gets the typed name and description and, when a picture is pending, that
// picture with its file name, all in one step; without one its picture stays untouched.
void ScanPage::replacePicture() {
    if (nameIsMissing()) return;
    const int row = grid_->currentRow();
    const std::optional<qint64> id = rowId(row);
    if (!id) return;
    ColumnValues columns{{spec_.nameColumn, sql::textLiteral(nameEdit_->text())},
                         {spec_.memoColumn, sql::textLiteral(memoText(memo_))}};
    {
        // The texts shown are saved only over the row they were read from.
        Transaction transaction(query_);
        shownVersion_.claim(query_, spec_.table, spec_.idColumn, *id);
        if (pendingFile_.isEmpty()) {
            UpdateKeepingBlob(query_, spec_.table, spec_.idColumn, *id, spec_.blobColumn, columns);
        } else {
            columns.append({QStringLiteral("picfilename"),
                            sql::textLiteral(QFileInfo(pendingFile_).fileName())});
            StoreFileInBlob(query_, spec_.table, spec_.idColumn, *id, spec_.blobColumn,
                            pendingFile_, columns);
        }
        transaction.commit();
    }
    loadList(contractId_);
    grid_->setCurrentCell(row, 0);
}

// The row above the deleted one is shown afterwards, or the first row. With the last
// picture gone the view empties and the name and description keep the deleted one's texts.
void ScanPage::deletePicture() {
    if (!askYesNo(guard_.desktop(), this, QStringLiteral("确定要删除当前图形文件吗？"),
                  QStringLiteral("确认"), MessageIcon::Question))
        return;
    const int row = grid_->currentRow();
    const std::optional<qint64> id = rowId(row);
    if (!id) return;
    query_.RunCommand(QStringLiteral("delete from ") + spec_.table + QStringLiteral(" where ") +
                      spec_.idColumn + QLatin1Char('=') + QString::number(*id));
    loadList(contractId_);
    // Moving to the row above shows it; the first row is already current and is shown here.
    if (row >= 2)
        grid_->setCurrentCell(row - 1, 0);
    else
        showCurrentRow();
}

// ---------------------------------------------------------------- the view

void ScanPage::layoutView() {
    const QRect place =
        scanViewGeometry(picture_.naturalSize(), scrollBox_->size(), fitItem_->isChecked());
    {
        scrollBox_->setUpdatesEnabled(false);
        const auto resume = qScopeGuard([this] { scrollBox_->setUpdatesEnabled(true); });
        if (view_->image().size() != place.size()) view_->setImage(picture_.decode(place.size()));
        view_->setGeometry(place);
        // The canvas reaches as far as the view, so that a larger picture scrolls, and fills
        // the area otherwise.
        const QSize room = scrollBox_->viewport()->size();
        scrollBox_->widget()->resize(qMax(room.width(), place.x() + place.width()),
                                     qMax(room.height(), place.y() + place.height()));
    }
    view_->show();
    view_->update();
}
