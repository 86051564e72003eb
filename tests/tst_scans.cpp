// The pages "合同原件" and "其他原件": a contract's scanned pictures listed, shown fitted or
// at actual size, loaded, stored, replaced, deleted and opened. Every page test runs on both
// pages, which differ only in their names, on a contract file and on a server.
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "EngineFixture.h"
#include "ScanPage.h"
#include "ScanView.h"
#include "ScanViewLayout.h"
#include "ScratchFolder.h"
#include "ScriptedDesktop.h"
#include "Typing.h"

namespace {

// What a person and the file know each page by.
struct PageNames {
    QString page, table, idColumn, nameColumn, memoColumn, blobColumn;
    QString grid, nameEdit, memo, scrollBox, view;
    QString load, save, replace, remove, open, fit, actualSize;
};

const PageNames& namesOf(const QString& page) {
    static const PageNames contract{
        "TabSheet5",   "htyj",         "htyjid",      "htyjname",   "htyjsm",   "htyjpic",
        "StringGrid4", "Edit40",       "Memo2",       "ScrollBox4", "Image2",   "FlatButton1",
        "FlatButton2", "FlatButton11", "FlatButton3", "TBItem48",   "TBItem52", "TBItem36"};
    static const PageNames other{
        "TabSheet6",   "htqtyj",       "qtyjid",      "qtyjname",   "qtyjsm",   "qtyjpic",
        "StringGrid5", "Edit41",       "Memo3",       "ScrollBox3", "Image4",   "FlatButton4",
        "FlatButton5", "FlatButton12", "FlatButton6", "TBItem49",   "TBItem53", "TBItem54"};
    return page == contract.page ? contract : other;
}

void addBothPages() {
    QTest::addColumn<QString>("page");
    QTest::newRow("合同原件") << "TabSheet5";
    QTest::newRow("其他原件") << "TabSheet6";
}

// The size of the picture area in the cases below.
const QSize kArea(465, 344);

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb(x * 255 / width, y * 255 / height, (x + y) & 0xff);
    }
    return image;
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk;
    QDataStream out(&chunk, QIODevice::WriteOnly);
    out << quint32(data.size());
    const QByteArray typed = type + data;
    out.writeRawData(typed.constData(), int(typed.size()));
    out << crc32(typed);
    return chunk;
}

// A PNG whose header claims a size, with a few bytes of pixel data: enough for a decoder
// to learn the size, and no more than that.
QByteArray pngClaiming(int width, int height) {
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out << quint32(width) << quint32(height) << quint8(8) << quint8(2) << quint8(0) << quint8(0)
        << quint8(0);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray(16, '\0')) + pngChunk("IEND", {});
}

// A GIF of one white pixel, written out by hand: Qt writes no GIF.
const QByteArray kOnePixelGif = QByteArray::fromHex(
    "474946383961010001008000 00ffffff000000 21f90401000000002c000000000100010000 02024401003b");

// The start of an enhanced metafile: its header record with the " EMF" signature.
QByteArray metafileHeader() {
    QByteArray bytes(108, '\0');
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(1) << quint32(108);
    out.device()->seek(40);
    out << quint32(0x464D4520) << quint32(0x10000) << quint32(108);
    return bytes;
}

// A row of a page's table to seed: its statement, and the picture to store in it if any.
struct SeedScan {
    QString statement;
    QString table, idColumn, blobColumn;
    qint64 id;
    QString picture;
};

}  // namespace

class ScanPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<ContractQuery> query_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<CommandGuard> guard_;
    std::unique_ptr<ScratchFolder> scratch_;
    ScanPage* page_ = nullptr;
    PageNames n_;
    QString programFolder_;  // the fixture's when empty

    // The page of the test's row; set first, since the seed statements use its names.
    void use(const QString& page) { n_ = namesOf(page); }

    // The page with contract 1 current, its picture area kArea large.
    void open(const QList<SeedScan>& seed = {}) {
        data_->executeOutside(
            {"insert into htmain (conid,concode,conname) values (1,'0001','甲')",
             "insert into htmain (conid,concode,conname) values (2,'0002','乙')"});
        for (const SeedScan& row : seed) {
            data_->executeOutside({row.statement});
            if (!row.picture.isEmpty())
                data_->storeFileOutside(row.table, row.idColumn, row.id, row.blobColumn,
                                        fileBytes(row.picture));
        }
        desktop_ = std::make_unique<ScriptedDesktop>();
        query_ = data_->openQuery();
        window_ = std::make_unique<QWidget>();
        guard_ = std::make_unique<CommandGuard>(*desktop_, window_.get());
        scratch_ = std::make_unique<ScratchFolder>(
            programFolder_.isEmpty() ? data_->files().programFolder() : programFolder_);
        page_ = makePage(*scratch_);
        auto* layout = new QVBoxLayout(window_.get());
        layout->addWidget(page_);
        control<QScrollArea>(n_.scrollBox)->setFixedSize(kArea);
        window_->resize(1000, 700);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        page_->loadList(1);
    }

    ScanPage* makePage(const ScratchFolder& scratch) {
        return new ScanPage(n_.page == "TabSheet5" ? contractScans() : otherScans(), *query_,
                            *guard_, scratch, window_.get());
    }

    template <typename T = QWidget>
    T* control(const QString& name) const {
        T* found = page_->findChild<T*>(name);
        if (!found) qFatal("no control %s", qPrintable(name));
        return found;
    }
    QTableWidget* grid() const { return control<QTableWidget>(n_.grid); }
    ScanView* view() const { return control<ScanView>(n_.view); }
    QString nameShown() const { return control<QLineEdit>(n_.nameEdit)->text(); }
    QString memoShown() const { return control<QPlainTextEdit>(n_.memo)->toPlainText(); }

    void press(const QString& button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }
    void trigger(const QString& item) { control<QAction>(item)->trigger(); }
    void clickRow(int row) {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, 0));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void type(const QString& name, const QString& memo) {
        retype(control<QLineEdit>(n_.nameEdit), name);
        retype(control<QPlainTextEdit>(n_.memo), memo);
    }
    // "载入图片" choosing the file.
    void load(const QString& path) {
        desktop_->filesToOpen.enqueue(path);
        press(n_.load);
    }

    QString picture(const QString& name, const QSize& size, const char* format = nullptr) {
        const QString path = data_->files().path(name);
        if (!gradient(size.width(), size.height()).save(path, format))
            qFatal("cannot save %s", qPrintable(path));
        return path;
    }
    QString rawFile(const QString& name, const QByteArray& bytes) {
        const QString path = data_->files().path(name);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write");
        return path;
    }
    // A stored row of the page in use, with the bytes of `picture` when one is given.
    SeedScan storedRow(int id, int conid, const QString& name, const QString& file,
                       const QString& picture = {}) const {
        return {QStringLiteral("insert into %1 (%2,conid,%3,%4,picfilename) values "
                               "(%5,%6,'%7','说明%5','%8')")
                    .arg(n_.table, n_.idColumn, n_.nameColumn, n_.memoColumn)
                    .arg(id)
                    .arg(conid)
                    .arg(name, file),
                n_.table,
                n_.idColumn,
                n_.blobColumn,
                id,
                picture};
    }

    // The page's rows as stored, "id name memo file bytes", by id.
    QStringList fileRows() const {
        QStringList rows;
        const auto reader = data_->openQuery();
        for (reader->RunQuery(
                 QStringLiteral("select %1 as id,%2 as name,%3 as memo,picfilename,"
                                "coalesce(length(%4),-1) as size,conid from %5 order by %1")
                     .arg(n_.idColumn, n_.nameColumn, n_.memoColumn, n_.blobColumn, n_.table));
             !reader->eof(); reader->next())
            rows << QStringLiteral("%1 %2 %3 %4 %5 c%6")
                        .arg(reader->integer("id"))
                        .arg(reader->text("name"), reader->text("memo"),
                             reader->text("picfilename"))
                        .arg(reader->integer("size"))
                        .arg(reader->integer("conid"));
        return rows;
    }
    QByteArray storedBytes(int id) const {
        return data_->storedFile(n_.table, n_.idColumn, id, n_.blobColumn).value_or(QByteArray());
    }
    QStringList gridNames() const {
        QStringList names;
        for (int r = 0; r < grid()->rowCount(); ++r)
            names << (grid()->item(r, 0) ? grid()->item(r, 0)->text() : QString());
        return names;
    }
    // The view's picture compared with a file's, as small as it is shown.
    bool viewShows(const QString& path) const {
        const QImage shown = view()->image();
        if (shown.isNull() || view()->isHidden()) return false;
        const QImage expected =
            QImage(path).scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRgb a = shown.pixel(shown.width() / 3, shown.height() / 3);
        const QRgb b = expected.pixel(shown.width() / 3, shown.height() / 3);
        return qAbs(qRed(a) - qRed(b)) < 24 && qAbs(qGreen(a) - qGreen(b)) < 24 &&
               qAbs(qBlue(a) - qBlue(b)) < 24;
    }
    bool viewIsEmpty() const { return view()->image().isNull(); }
    QString scratchFile(const QString& name) const {
        return QDir(data_->files().programFolder()).filePath(QStringLiteral("temp/") + name);
    }
    QStringList messages() const { return desktop_->messageTexts(); }

  private Q_SLOTS:
    // The arithmetic of placing the view, to the pixel.
    void viewIsPlacedForThePictureAndTheMode_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("area");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QRect>("view");
        QTest::newRow("fit, smaller than the area: natural size, centred")
            << QSize(100, 50) << kArea << true << QRect(182, 147, 100, 50);
        QTest::newRow("fit, twice as wide as the room: half size")
            << QSize(2000, 1000) << kArea << true << QRect(10, 61, 444, 222);
        QTest::newRow("fit, taller than wide")
            << QSize(1000, 2000) << kArea << true << QRect(151, 10, 162, 324);
        QTest::newRow("fit, exactly the room inside the margin")
            << QSize(445, 324) << kArea << true << QRect(10, 10, 445, 324);
        QTest::newRow("fit, one pixel too wide: the room or a pixel less")
            << QSize(446, 100) << kArea << true << QRect(10, 122, 444, 99);
        QTest::newRow("fit, a 35-megapixel page")
            << QSize(7000, 5000) << kArea << true << QRect(10, 13, 445, 317);
        QTest::newRow("actual size, larger than the area: at the edge")
            << QSize(2000, 1000) << kArea << false << QRect(0, 0, 2000, 1000);
        QTest::newRow("actual size, wider only")
            << QSize(2000, 100) << kArea << false << QRect(0, 122, 2000, 100);
        QTest::newRow("actual size, smaller: centred")
            << QSize(100, 50) << kArea << false << QRect(182, 147, 100, 50);
        QTest::newRow("actual size, as wide as the area")
            << QSize(465, 50) << kArea << false << QRect(0, 147, 465, 50);
        QTest::newRow("fit in an area 20 pixels wide: natural size")
            << QSize(100, 50) << QSize(20, 344) << true << QRect(0, 147, 100, 50);
        QTest::newRow("fit in an area 20 pixels high: natural size")
            << QSize(2000, 1000) << QSize(465, 20) << true << QRect(0, 0, 2000, 1000);
        QTest::newRow("fit in an area 21 pixels high: one pixel of room")
            << QSize(2000, 1000) << QSize(465, 21) << true << QRect(231, 10, 2, 1);
        QTest::newRow("no picture") << QSize(0, 0) << kArea << true << QRect(232, 172, 0, 0);
    }
    void viewIsPlacedForThePictureAndTheMode() {
        QFETCH(QSize, picture);
        QFETCH(QSize, area);
        QFETCH(bool, fit);
        QFETCH(QRect, view);
        if (currentEngine() == Engine::Server) QSKIP("placing the view reads no data");
        QCOMPARE(scanViewGeometry(picture, area, fit), view);
    }

    void initTestCase_data() { addEngineRows(); }
    void init() {
        data_ = std::make_unique<EngineFixture>(currentEngine());
        programFolder_.clear();
    }
    void cleanup() {
        window_.reset();
        page_ = nullptr;
        query_.reset();
        data_.reset();
    }

    void listShowsTheContractsPicturesInKeyOrder_data() { addBothPages(); }
    void listShowsTheContractsPicturesInKeyOrder() {
        QFETCH(QString, page);
        use(page);
        open({storedRow(7, 1, "第二页", "b.png"), storedRow(3, 1, "第一页", "a.png"),
              storedRow(5, 2, "别的合同", "c.png")});
        QCOMPARE(gridNames(), (QStringList{"第一页", "第二页"}));
        QCOMPARE(grid()->item(0, 1)->text(), QStringLiteral("3"));
        QCOMPARE(grid()->item(1, 1)->text(), QStringLiteral("7"));
        QCOMPARE(grid()->currentRow(), 0);
        QVERIFY(nameShown().isEmpty());  // a reload shows no row

        page_->loadList(std::nullopt);
        QCOMPARE(gridNames(), QStringList{""});
    }

    // The empty row of a contract without pictures: nothing to show, open, replace or delete.
    void anEmptyListWritesAndOpensNothing_data() { addBothPages(); }
    void anEmptyListWritesAndOpensNothing() {
        QFETCH(QString, page);
        use(page);
        open();
        load(picture("a.png", {100, 50}));
        QVERIFY(viewShows(data_->files().path("a.png")));
        type("名称", "说明");
        page_->loadList(2);
        const QStringList before = fileRows();

        clickRow(0);
        QVERIFY(viewIsEmpty());
        QCOMPARE(nameShown(), QStringLiteral("名称"));
        press(n_.replace);
        press(n_.remove);
        QCOMPARE(messages(), QStringList{"确定要删除当前图形文件吗？"});
        trigger(n_.open);
        QVERIFY(desktop_->opened.isEmpty());
        QCOMPARE(fileRows(), before);
        QVERIFY(!QFileInfo::exists(scratchFile("a.png")));
    }

    // A loaded picture is pending until a stored row is shown: the first save keeps it
    // pending, so does a replace of row 1, and the save after that shows the new last row
    // from the file, which ends it; a save then stores no picture.
    void aLoadedPictureStaysPendingUntilARowIsShown_data() { addBothPages(); }
    void aLoadedPictureStaysPendingUntilARowIsShown() {
        QFETCH(QString, page);
        use(page);
        open();
        const QString scan = picture("page 1.png", {100, 50});
        load(scan);
        type("第一页", "");
        press(n_.save);
        QCOMPARE(fileRows(), QStringList{"1 第一页  page 1.png " +
                                         QString::number(fileBytes(scan).size()) + " c1"});
        QCOMPARE(storedBytes(1), fileBytes(scan));
        QVERIFY(viewShows(scan));  // the loaded picture, not read back
        QVERIFY(!QFileInfo::exists(scratchFile("page 1.png")));

        retype(control<QLineEdit>(n_.nameEdit), "封面");
        press(n_.replace);
        QCOMPARE(fileRows().value(0).section(' ', 0, 1), QStringLiteral("1 封面"));
        QVERIFY(!QFileInfo::exists(scratchFile("page 1.png")));  // still pending, not shown

        retype(control<QLineEdit>(n_.nameEdit), "第二页");
        press(n_.save);
        QCOMPARE(gridNames(), (QStringList{"封面", "第二页"}));
        QCOMPARE(storedBytes(2), fileBytes(scan));
        QCOMPARE(grid()->currentRow(), 1);
        QCOMPARE(fileBytes(scratchFile("page 1.png")), fileBytes(scan));  // shown from the file

        retype(control<QLineEdit>(n_.nameEdit), "无图");
        press(n_.save);
        QCOMPARE(fileRows().value(2), QStringLiteral("3 无图   -1 c1"));
        QVERIFY(viewIsEmpty());  // the new row has no picture to show
        QCOMPARE(nameShown(), QStringLiteral("无图"));
        QVERIFY(messages().isEmpty());
    }

    // Saved into the contract current at the time, which may have changed since loading.
    void aPendingPictureGoesToTheContractNowCurrent_data() { addBothPages(); }
    void aPendingPictureGoesToTheContractNowCurrent() {
        QFETCH(QString, page);
        use(page);
        open();
        load(picture("a.png", {100, 50}));
        page_->loadList(2);
        type("给乙", "");
        press(n_.save);
        QVERIFY(fileRows().value(0).endsWith(" c2"));
        QVERIFY(viewShows(data_->files().path("a.png")));
    }

    void aRowWithoutPictureShowsItsTextsAndAnEmptyView_data() { addBothPages(); }
    void aRowWithoutPictureShowsItsTextsAndAnEmptyView() {
        QFETCH(QString, page);
        use(page);
        const QString scan = picture("a.png", {100, 50});
        open({storedRow(1, 1, "有图", "a.png", scan), storedRow(2, 1, "无图", "")});
        clickRow(0);
        QVERIFY(viewShows(scan));
        clickRow(1);
        QCOMPARE(nameShown(), QStringLiteral("无图"));
        QCOMPARE(memoShown(), QStringLiteral("说明2"));
        QVERIFY(viewIsEmpty());
        trigger(n_.open);
        QVERIFY(desktop_->opened.isEmpty());
        QVERIFY(messages().isEmpty());
        QCOMPARE(QDir(data_->files().programFolder() + "/temp").entryList(QDir::Files),
                 QStringList{"a.png"});
    }

    // A click on the row already current shows it again, from the file.
    void clickingTheCurrentRowShowsItAgain_data() { addBothPages(); }
    void clickingTheCurrentRowShowsItAgain() {
        QFETCH(QString, page);
        use(page);
        const QString scan = picture("a.png", {100, 50});
        open({storedRow(1, 1, "第一页", "a.png", scan), storedRow(2, 1, "第二页", "a.png", scan)});
        QVERIFY(nameShown().isEmpty());
        clickRow(0);
        QCOMPARE(nameShown(), QStringLiteral("第一页"));
        retype(control<QLineEdit>(n_.nameEdit), "改了没存");
        clickRow(0);
        QCOMPARE(nameShown(), QStringLiteral("第一页"));
        QVERIFY(viewShows(scan));

        // A click on another row shows it once, not once for the move and again for the click.
        StatementLog log(*query_);
        clickRow(1);
        QCOMPARE(nameShown(), QStringLiteral("第二页"));
        QCOMPARE(log.statements.filter(QStringLiteral(" from ") + n_.table).size(), 2);
    }

    void replaceWithoutPendingPictureKeepsThePicture_data() { addBothPages(); }
    void replaceWithoutPendingPictureKeepsThePicture() {
        QFETCH(QString, page);
        use(page);
        const QString first = picture("a.png", {100, 50});
        const QString second = picture("b.jpg", {60, 90});
        open({storedRow(1, 1, "一", "a.png", first), storedRow(2, 1, "二", "b.jpg", second)});
        clickRow(1);
        type("第'二'页", "第一行\n第二行");
        press(n_.replace);
        QCOMPARE(fileRows().value(1), "2 第'二'页 第一行\r\n第二行 b.jpg " +
                                          QString::number(fileBytes(second).size()) + " c1");
        QCOMPARE(storedBytes(2), fileBytes(second));
        QCOMPARE(grid()->currentRow(), 1);
        QCOMPARE(memoShown(), QStringLiteral("第一行\n第二行"));  // read back from the file

        // With a picture pending, the names and the picture change together.
        load(first);
        press(n_.replace);
        QCOMPARE(fileRows().value(1), "2 第'二'页 第一行\r\n第二行 a.png " +
                                          QString::number(fileBytes(first).size()) + " c1");
        QCOMPARE(storedBytes(2), fileBytes(first));
    }

    // A pending picture that can no longer be read stores nothing at all: no row without
    // its picture, no new file name over the old bytes.
    void anUnreadablePendingPictureChangesNothing_data() { addBothPages(); }
    void anUnreadablePendingPictureChangesNothing() {
        QFETCH(QString, page);
        use(page);
        const QString kept = picture("kept.png", {30, 30});
        open({storedRow(1, 1, "一", "kept.png", kept)});
        const QString gone = picture("gone.png", {100, 50});
        load(gone);
        QFile::remove(gone);
        const QStringList before = fileRows();
        type("新名", "");

        press(n_.save);
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().last().contains(gone), qPrintable(messages().last()));
        press(n_.replace);
        QCOMPARE(messages().size(), 2);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QCOMPARE(fileRows(), before);
        QCOMPARE(storedBytes(1), fileBytes(kept));
    }

    void aNameIsRequired_data() { addBothPages(); }
    void aNameIsRequired() {
        QFETCH(QString, page);
        use(page);
        open({storedRow(1, 1, "一", "")});
        const QStringList before = fileRows();
        for (const QString& button : {n_.save, n_.replace}) {
            control<QPlainTextEdit>(n_.memo)->setFocus();
            press(button);
            QCOMPARE(desktop_->lastMessage().text, QStringLiteral("请输入图片名称"));
            QCOMPARE(desktop_->lastMessage().title, QStringLiteral("提示"));
            QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Warning);
            QVERIFY(control<QLineEdit>(n_.nameEdit)->hasFocus());
        }
        QCOMPARE(fileRows(), before);
        type(" ", "");  // blanks are a name
        press(n_.save);
        QCOMPARE(fileRows().size(), 2);
    }

    // The row above the deleted one is shown; after row 1 or 2, row 1; after the only one,
    // an empty row, an empty view and the deleted picture's texts still in the boxes.
    void deleteShowsTheRowAbove_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("deleted");  // counted from 1
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<int>("currentRow");  // counted from 1
        for (const char* page : {"TabSheet5", "TabSheet6"}) {
            const char* tag = page == QByteArray("TabSheet5") ? "合同原件" : "其他原件";
            QTest::addRow("%s: row 5 of 6", tag) << page << 6 << 5 << "图4" << 4;
            QTest::addRow("%s: row 2 of 6", tag) << page << 6 << 2 << "图1" << 1;
            QTest::addRow("%s: row 1 of 6", tag) << page << 6 << 1 << "图2" << 1;
            QTest::addRow("%s: the only one", tag) << page << 1 << 1 << "图1" << 1;
        }
    }
    void deleteShowsTheRowAbove() {
        QFETCH(QString, page);
        QFETCH(int, rows);
        QFETCH(int, deleted);
        QFETCH(QString, shownName);
        QFETCH(int, currentRow);
        use(page);
        QList<SeedScan> seed;
        for (int i = 1; i <= rows; ++i)
            seed << storedRow(i, 1, QStringLiteral("图%1").arg(i), QStringLiteral("p%1.png").arg(i),
                              picture(QStringLiteral("p%1.png").arg(i), {20 + i, 20}));
        open(seed);
        clickRow(deleted - 1);
        QVERIFY(viewShows(data_->files().path(QStringLiteral("p%1.png").arg(deleted))));

        desktop_->answers.enqueue(MessageAnswer::No);
        press(n_.remove);
        QCOMPARE(fileRows().size(), rows);

        press(n_.remove);
        const MessageRequest& question = desktop_->lastMessage();
        QCOMPARE(question.text, QStringLiteral("确定要删除当前图形文件吗？"));
        QCOMPARE(question.title, QStringLiteral("确认"));
        QCOMPARE(question.icon, MessageIcon::Question);
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(fileRows().size(), rows - 1);
        QVERIFY(!fileRows().join(' ').contains(QStringLiteral("图%1 ").arg(deleted)));
        QCOMPARE(grid()->currentRow(), currentRow - 1);
        QCOMPARE(nameShown(), shownName);
        if (rows == 1) {
            QCOMPARE(gridNames(), QStringList{""});
            QVERIFY(viewIsEmpty());
            QCOMPARE(memoShown(), QStringLiteral("说明1"));
        } else {
            const int shownId = shownName.mid(1).toInt();
            QVERIFY(viewShows(data_->files().path(QStringLiteral("p%1.png").arg(shownId))));
        }
        QCOMPARE(messages().size(), 2);
    }

    // Pictures of the same file name share one scratch file, on one page or across both;
    // each page still shows its own picture, in either mode.
    void picturesOfOneFileNameShareOneScratchFile() {
        QImage image(600, 400, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString red = data_->files().path("red.png");
        image.save(red);
        image.fill(Qt::blue);
        const QString blue = data_->files().path("blue.png");
        image.save(blue);

        use("TabSheet6");
        const SeedScan otherRow = storedRow(1, 1, "蓝", "scan.png", blue);
        use("TabSheet5");
        open({storedRow(1, 1, "红", "scan.png", red), storedRow(2, 1, "红二", "scan.png", red),
              otherRow});
        ScanPage* contractPage = page_;
        clickRow(1);
        clickRow(0);
        QCOMPARE(fileBytes(scratchFile("scan.png")), fileBytes(red));

        use("TabSheet6");
        page_ = makePage(*scratch_);
        window_->layout()->addWidget(page_);
        page_->loadList(1);
        trigger(n_.actualSize);
        clickRow(0);
        QCOMPARE(fileBytes(scratchFile("scan.png")), fileBytes(blue));
        QCOMPARE(view()->image().pixel(5, 5), qRgb(0, 0, 255));

        use("TabSheet5");
        page_ = contractPage;
        trigger(n_.actualSize);  // decoded again from what was shown, not from the file
        QCOMPARE(view()->size(), QSize(600, 400));
        QCOMPARE(view()->image().pixel(5, 5), qRgb(255, 0, 0));
        QCOMPARE(QDir(data_->files().programFolder() + "/temp").entryList(QDir::Files),
                 QStringList{"scan.png"});
    }

    // "打开" takes the stored picture of the current row out and hands it to the desktop;
    // a picture loaded and not saved is not what it opens.
    void openHandsTheStoredPictureToTheDesktop_data() { addBothPages(); }
    void openHandsTheStoredPictureToTheDesktop() {
        QFETCH(QString, page);
        use(page);
        const QString stored = picture("stored.jpg", {40, 30}, "JPEG");
        open({storedRow(1, 1, "一", "合同 第1页.jpg", stored)});
        load(picture("loaded.png", {100, 50}));
        trigger(n_.open);
        QCOMPARE(desktop_->opened, QList<QUrl>{QUrl::fromLocalFile(scratchFile("合同 第1页.jpg"))});
        QCOMPARE(fileBytes(scratchFile("合同 第1页.jpg")), fileBytes(stored));
        QVERIFY(viewShows(data_->files().path("loaded.png")));  // the view is not touched
    }

    // Files that hold no picture we can decode are refused with the reason, pend nothing and
    // leave the view hidden; the pending picture before them stays pending.
    void anUndecodableFileIsRefused_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        for (const char* page : {"TabSheet5", "TabSheet6"}) {
            const char* tag = page == QByteArray("TabSheet5") ? "合同原件" : "其他原件";
            QTest::addRow("%s: text named .jpg", tag)
                << page << "notes.jpg" << QByteArray("这不是图片") << "文件不是可以显示的图片";
            QTest::addRow("%s: enhanced metafile", tag)
                << page << "drawing.emf" << metafileHeader() << "文件不是可以显示的图片";
            QTest::addRow("%s: 60,000 × 60,000 bitmap", tag)
                << page << "huge.png" << pngClaiming(60000, 60000) << "图片太大，无法显示";
            QTest::addRow("%s: no such file", tag)
                << page << "missing.png" << QByteArray() << "图片文件不存在";
        }
    }
    void anUndecodableFileIsRefused() {
        QFETCH(QString, page);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        use(page);
        open();
        const QString good = picture("good.png", {100, 50});
        load(good);
        const QString bad =
            bytes.isEmpty() ? data_->files().path(fileName) : rawFile(fileName, bytes);

        load(bad);
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().last().startsWith(reason), qPrintable(messages().last()));
        QVERIFY(messages().last().contains(fileName));
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(view()->isHidden());

        type("名称", "");
        press(n_.save);  // stores the picture still pending
        QCOMPARE(storedBytes(1), fileBytes(good));
    }

    // A stored picture that is no picture shows nothing, silently; one too large to decode
    // says so.
    void aStoredPictureThatCannotBeShown_data() { addBothPages(); }
    void aStoredPictureThatCannotBeShown() {
        QFETCH(QString, page);
        use(page);
        const QString scan = picture("a.png", {100, 50});
        open({storedRow(1, 1, "好", "a.png", scan),
              storedRow(2, 1, "坏", "b.png", rawFile("b.png", "not a picture")),
              storedRow(3, 1, "大", "c.png", rawFile("c.png", pngClaiming(60000, 60000)))});
        clickRow(0);
        clickRow(1);
        QCOMPARE(nameShown(), QStringLiteral("坏"));
        QVERIFY(viewIsEmpty());
        QVERIFY(messages().isEmpty());
        trigger(n_.actualSize);  // nothing comes back with another mode
        QVERIFY(viewIsEmpty());

        clickRow(2);
        QCOMPARE(nameShown(), QStringLiteral("大"));
        QVERIFY(viewIsEmpty());
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().last().startsWith(QStringLiteral("图片太大，无法显示")),
                 qPrintable(messages().last()));
    }

    // When the scratch folder cannot be made the person is told, and the row's texts show.
    void aScratchFolderThatCannotBeMadeIsTold_data() { addBothPages(); }
    void aScratchFolderThatCannotBeMadeIsTold() {
        QFETCH(QString, page);
        use(page);
        const QString scan = picture("a.png", {100, 50});
        // Neither the program folder nor the cache can hold a folder.
        programFolder_ = rawFile("program.bin", "x");
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", programFolder_.toUtf8());
        open({storedRow(1, 1, "一", "a.png", scan)});
        clickRow(0);
        trigger(n_.open);
        qputenv("XDG_CACHE_HOME", oldCache);
        QCOMPARE(messages(), (QStringList{"新建文件夹出错", "新建文件夹出错"}));
        QCOMPARE(desktop_->lastMessage().title, QStringLiteral("错误"));
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QCOMPARE(nameShown(), QStringLiteral("一"));
        QVERIFY(desktop_->opened.isEmpty());
    }

    // A scratch file that cannot be replaced is told after a short wait.
    void aScratchFileThatCannotBeReplacedIsTold_data() { addBothPages(); }
    void aScratchFileThatCannotBeReplacedIsTold() {
        QFETCH(QString, page);
        use(page);
        const QString scan = picture("a.png", {100, 50});
        open({storedRow(1, 1, "一", "a.png", scan)});
        QDir().mkpath(scratchFile("a.png") + "/inside");  // a folder where the file goes
        clickRow(0);
        QCOMPARE(messages().size(), 1);
        QVERIFY2(messages().last().startsWith(QStringLiteral("临时文件正在使用")),
                 qPrintable(messages().last()));
        QVERIFY(viewIsEmpty());
    }

    // A colour A4 page scanned at 600 dpi: fitted it is decoded only as large as it shows,
    // at actual size whole, and the area scrolls over it.
    void aThirtyFiveMegapixelScanShowsInBothModes_data() { addBothPages(); }
    void aThirtyFiveMegapixelScanShowsInBothModes() {
        QFETCH(QString, page);
        use(page);
        open();
        QImage scan(7000, 5000, QImage::Format_RGB32);
        scan.fill(QColor(200, 180, 40));
        const QString path = data_->files().path("a4.jpg");
        QVERIFY(scan.save(path, "JPEG", 50));

        load(path);
        QCOMPARE(view()->geometry(), QRect(10, 13, 445, 317));
        QCOMPARE(view()->image().size(), QSize(445, 317));
        QVERIFY(viewShows(path));

        trigger(n_.actualSize);
        QCOMPARE(view()->geometry(), QRect(0, 0, 7000, 5000));
        QCOMPARE(view()->image().size(), QSize(7000, 5000));
        auto* box = control<QScrollArea>(n_.scrollBox);
        QVERIFY(box->horizontalScrollBar()->maximum() > 6000);
        QVERIFY(box->verticalScrollBar()->maximum() > 4000);

        trigger(n_.fit);
        QCOMPARE(view()->geometry(), QRect(10, 13, 445, 317));
        QCOMPARE(view()->image().size(), QSize(445, 317));
        QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
        QVERIFY(messages().isEmpty());
    }

    // The kinds of picture the dialog offers and the decoder reads, known by their content
    // whatever their name.
    void everyOfferedKindOfPictureShows_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QRect>("view");
        const QRect view(200, 148, 64, 48);
        QTest::newRow("gif") << "scan.gif" << QByteArray() << QRect(232, 171, 1, 1);
        QTest::newRow("jpg") << "scan.jpg" << QByteArray("jpeg") << view;
        QTest::newRow("jpeg") << "scan.jpeg" << QByteArray("jpeg") << view;
        QTest::newRow("bmp") << "scan.bmp" << QByteArray("bmp") << view;
        QTest::newRow("ico") << "scan.ico" << QByteArray("ico") << view;
        QTest::newRow("png") << "scan.png" << QByteArray("png") << view;
        QTest::newRow("tif") << "scan.tif" << QByteArray("tiff") << view;
        QTest::newRow("webp") << "scan.webp" << QByteArray("webp") << view;
        QTest::newRow("png named .jpg") << "png.jpg" << QByteArray("png") << view;
    }
    void everyOfferedKindOfPictureShows() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, format);
        QFETCH(QRect, view);
        use("TabSheet5");
        open();
        const QString path = format.isEmpty() ? rawFile(fileName, kOnePixelGif)
                                              : picture(fileName, {64, 48}, format.constData());
        load(path);
        QVERIFY2(messages().isEmpty(), qPrintable(messages().join('\n')));
        QCOMPARE(this->view()->geometry(), view);
        QVERIFY(viewShows(path));

        const FileDialogRequest& dialog = desktop_->fileDialogs.last();
        const QString every = dialog.filter.section(QStringLiteral(";;"), 0, 0);
        for (const char* pattern : {"*.gif", "*.jpg", "*.jpeg", "*.bmp", "*.ico", "*.emf", "*.wmf",
                                    "*.png", "*.tif", "*.tiff", "*.webp"})
            QVERIFY2(every.contains(QLatin1String(pattern)), pattern);
        QVERIFY(dialog.filter.contains(QStringLiteral("Enhanced Metafiles (*.emf)")));
    }

    // Choosing a mode lays the view out again, the checked mode too; the mode stays when the
    // contract changes.
    void theDisplayModeAppliesToLaterPictures_data() { addBothPages(); }
    void theDisplayModeAppliesToLaterPictures() {
        QFETCH(QString, page);
        use(page);
        open();
        trigger(n_.actualSize);
        page_->loadList(2);
        load(picture("wide.png", {2000, 1000}));
        QCOMPARE(view()->geometry(), QRect(0, 0, 2000, 1000));
        trigger(n_.fit);
        QCOMPARE(view()->geometry(), QRect(10, 61, 444, 222));
        view()->setGeometry(0, 0, 5, 5);
        trigger(n_.fit);
        QCOMPARE(view()->geometry(), QRect(10, 61, 444, 222));
    }

    // Cancelling the dialog changes nothing.
    void cancellingTheDialogKeepsEverything_data() { addBothPages(); }
    void cancellingTheDialogKeepsEverything() {
        QFETCH(QString, page);
        use(page);
        open();
        const QString scan = picture("a.png", {100, 50});
        load(scan);
        load(QString());  // cancelled
        QVERIFY(viewShows(scan));
        type("一", "");
        press(n_.save);
        QCOMPARE(storedBytes(1), fileBytes(scan));
    }

    // Keyboard moves show the row moved to.
    void movingWithTheKeyboardShowsTheRow_data() { addBothPages(); }
    void movingWithTheKeyboardShowsTheRow() {
        QFETCH(QString, page);
        use(page);
        const QString second = picture("b.png", {30, 60});
        open({storedRow(1, 1, "一", ""), storedRow(2, 1, "二", "b.png", second)});
        grid()->setFocus();
        QTest::keyClick(grid(), Qt::Key_Down);
        QCOMPARE(nameShown(), QStringLiteral("二"));
        QVERIFY(viewShows(second));
        QTest::keyClick(grid(), Qt::Key_Up);
        QCOMPARE(nameShown(), QStringLiteral("一"));
        QVERIFY(viewIsEmpty());
    }
};

QTEST_MAIN(ScanPageTest)
#include "tst_scans.moc"
