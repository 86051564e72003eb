// The page "合同文本": the document list, the preview of a .doc's RTF copy, and importing,
// replacing, opening and deleting documents. The office program is replaced by a scripted
// converter here (tst_libreoffice runs the real one). Every case runs on a contract file and
// on a server.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <memory>
#include <optional>

#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "DocumentConverter.h"
#include "DocumentPage.h"
#include "EngineFixture.h"
#include "LibreOfficeConverter.h"
#include "RtfReader.h"
#include "ScratchFolder.h"
#include "ScriptedDesktop.h"

namespace {

// Stands in for the office program: writes an RTF copy naming the document, or answers
// as a missing or failing converter would. Remembers what it was given.
class ScriptedConverter : public DocumentConverter {
  public:
    ConversionResult::Status status = ConversionResult::Converted;
    QString detail;
    std::function<void()> whileWaiting;
    QStringList documents;        // the paths it was asked to convert
    QList<QByteArray> bytesSeen;  // their contents at the time

    static QByteArray rtfFor(const QString& documentName) {
        return "{\\rtf1\\ansi " + documentName.toUtf8() + "\\par}";
    }

    ConversionResult convertToRtf(const QString& documentPath, const QString& rtfPath) override {
        documents << documentPath;
        bytesSeen << fileBytes(documentPath);
        if (whileWaiting) whileWaiting();
        if (status == ConversionResult::Converted) {
            QFile rtf(rtfPath);
            if (!rtf.open(QIODevice::WriteOnly)) return {ConversionResult::Failed, rtfPath};
            rtf.write(rtfFor(QFileInfo(documentPath).fileName()));
        }
        return {status, detail};
    }
};

// One row of httext as stored.
struct StoredDocument {
    qint64 conid = 0;
    QString name;
    QByteArray document;
    std::optional<QByteArray> rtf;  // none: the column has no value
};

QMap<qint64, StoredDocument> storedDocuments(const EngineFixture& data) {
    QMap<qint64, StoredDocument> rows;
    const auto reader = data.openQuery();
    for (reader->RunQuery(QStringLiteral("select id,conid,textname from httext")); !reader->eof();
         reader->next()) {
        StoredDocument row;
        row.conid = reader->integer("conid");
        row.name = reader->text("textname");
        rows.insert(reader->integer("id"), row);
    }
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        it->document = data.storedFile("httext", "id", it.key(), "docfile").value_or(QByteArray());
        it->rtf = data.storedFile("httext", "id", it.key(), "rtffile");
    }
    return rows;
}

// A document row of contract `conid` to seed, with an RTF copy when one is given.
struct SeedDocument {
    qint64 id;
    qint64 conid;
    QString name;
    std::optional<QByteArray> rtf;
};
using SeedDocuments = QList<SeedDocument>;

SeedDocument documentRow(qint64 id, qint64 conid, const QString& name,
                         std::optional<QByteArray> rtf = std::nullopt) {
    return {id, conid, name, std::move(rtf)};
}

// Four documents of contract 1, each .doc with its RTF copy; one of contract 2.
SeedDocuments fourDocuments() {
    return {documentRow(3, 1, QStringLiteral("合同.doc"), ScriptedConverter::rtfFor("合同.doc")),
            documentRow(5, 1, QStringLiteral("附件.PDF")),
            documentRow(6, 1, QStringLiteral("图纸.DOC"), ScriptedConverter::rtfFor("图纸.DOC")),
            documentRow(8, 1, QStringLiteral("说明.doc"), ScriptedConverter::rtfFor("说明.doc")),
            documentRow(9, 2, QStringLiteral("合同.doc"), QByteArray("{\\rtf1 other}"))};
}

// What the preview shows for an RTF copy.
QString previewOf(const QByteArray& rtf) {
    QTextDocument document;
    readRtf(rtf, document);
    return document.toPlainText();
}

const QString kOldPreview = QStringLiteral("上一次的预览");
const std::optional<QByteArray> kNoCopy;

}  // namespace

Q_DECLARE_METATYPE(SeedDocuments)

class DocumentsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<ContractQuery> query_;
    std::unique_ptr<CommandGuard> guard_;
    std::unique_ptr<ScratchFolder> scratch_;
    std::unique_ptr<ScriptedConverter> converter_;
    std::unique_ptr<DocumentPage> page_;
    std::optional<qint64> selected_ = 1;

    void makePage(const QString& programFolder, DocumentConverter* converter = nullptr) {
        page_.reset();
        scratch_ = std::make_unique<ScratchFolder>(programFolder);
        page_ = std::make_unique<DocumentPage>(
            *query_, *guard_, *scratch_, converter ? *converter : *converter_,
            DocumentPage::WindowLinks{[this] { return selected_; },
                                      [] { return QStringLiteral("HT-2026-01"); }});
        page_->resize(800, 500);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
    }

    // Stores the documents, each with its own bytes and its RTF copy, and lists them.
    void seed(const SeedDocuments& documents) {
        store(documents);
        page_->LoadDocumentList(selected_);
    }
    void store(const SeedDocuments& documents) const {
        for (const SeedDocument& d : documents) {
            data_->executeOutside({QStringLiteral("insert into httext (id,conid,textname) values "
                                                  "(%1,%2,'%3')")
                                       .arg(d.id)
                                       .arg(d.conid)
                                       .arg(d.name)});
            data_->storeFileOutside("httext", "id", d.id, "docfile", "stored " + d.name.toUtf8());
            if (d.rtf) data_->storeFileOutside("httext", "id", d.id, "rtffile", *d.rtf);
        }
    }

    QTableWidget* grid() const { return page_->findChild<QTableWidget*>("StringGrid1"); }
    QTextEdit* preview() const { return page_->findChild<QTextEdit*>("RichEdit1"); }
    void trigger(const char* item) const { page_->findChild<QAction*>(item)->trigger(); }
    QString scratchFile(const QString& name) const { return QDir(scratch_->path()).filePath(name); }

    // The list as shown: "number|name|type|key" per row.
    QStringList listed() const {
        QStringList rows;
        for (int r = 0; r < grid()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < grid()->columnCount(); ++c)
                cells << (grid()->item(r, c) ? grid()->item(r, c)->text() : QString());
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    QStringList listedNames() const {
        QStringList names;
        for (int r = 0; r < grid()->rowCount(); ++r) names << grid()->item(r, 1)->text();
        return names;
    }

    void clickRow(int row, int column = 1) const {
        const QRect cell = grid()->visualRect(grid()->model()->index(row, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // A file the person picks, outside the scratch folder.
    QString pickedFile(const QString& name, const QByteArray& bytes = {}) const {
        QDir().mkpath(data_->files().path(QStringLiteral("picked")));
        const QString path = data_->files().path(QStringLiteral("picked/") + name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes.isEmpty() ? "picked " + name.toUtf8() : bytes);
        return path;
    }
    void import(const char* item, const QString& path) const {
        desktop_->filesToOpen << path;
        trigger(item);
    }

  private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data_ = std::make_unique<EngineFixture>(currentEngine());
        data_->executeOutside(
            {QStringLiteral("insert into htmain (conid,concode,conname) values "
                            "(1,'0001','甲'),(2,'0002','乙'),(3,'0003','丙')")});
        desktop_ = std::make_unique<ScriptedDesktop>();
        query_ = data_->openQuery();
        guard_ = std::make_unique<CommandGuard>(*desktop_, nullptr);
        converter_ = std::make_unique<ScriptedConverter>();
        selected_ = 1;
        makePage(data_->files().programFolder());
    }
    void cleanup() {
        page_.reset();
        converter_.reset();
        scratch_.reset();
        guard_.reset();
        query_.reset();
        desktop_.reset();
        data_.reset();
    }

    // ------------------------------------------------------------ the list

    void listShowsTheContractsDocumentsFirstOneCurrent() {
        StatementLog log(*query_);
        seed(fourDocuments());
        QCOMPARE(listed(),
                 QStringList({"HT-2026-01|合同.doc|.doc|3", "HT-2026-01|附件.PDF|.PDF|5",
                              "HT-2026-01|图纸.DOC|.DOC|6", "HT-2026-01|说明.doc|.doc|8"}));
        QCOMPARE(grid()->currentRow(), 0);
        // The documents stay in the file: listing reads names only.
        QVERIFY2(!log.statements.join(' ').contains("docfile"),
                 qPrintable(log.statements.join('\n')));

        store({documentRow(10, 1, QStringLiteral("无扩展名"))});
        clickRow(2);
        page_->LoadDocumentList(1);
        QCOMPARE(grid()->currentRow(), 0);  // row 1 current after every reload
        QCOMPARE(listed().last(), QStringLiteral("HT-2026-01|无扩展名||10"));

        page_->LoadDocumentList(3);  // a contract without documents: one empty row
        QCOMPARE(listed(), QStringList({"|||"}));
        page_->LoadDocumentList(std::nullopt);
        QCOMPARE(listed(), QStringList({"|||"}));
    }

    // ------------------------------------------------------------ importing

    void importAddsOrReplaces_data() {
        QTest::addColumn<SeedDocuments>("seeded");
        QTest::addColumn<int>("currentRow");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("changedRow");  // row of the list that holds the picked file
        QTest::addColumn<bool>("sameKey");    // that row kept the key it had

        const SeedDocuments two{documentRow(3, 1, "合同.doc", QByteArray("{\\rtf1 old}")),
                                documentRow(5, 1, "附件.pdf")};
        QTest::newRow("first document takes the empty row")
            << SeedDocuments() << 0 << "TBItem35"
            << "合同.doc" << QStringList{"合同.doc"} << 0 << false;
        QTest::newRow("replacing on an empty list adds")
            << SeedDocuments() << 0 << "TBItem41"
            << "合同.doc" << QStringList{"合同.doc"} << 0 << false;
        QTest::newRow("adding appends, whatever row is current")
            << two << 1 << "TBItem35"
            << "补充协议.docx" << QStringList{"合同.doc", "附件.pdf", "补充协议.docx"} << 2
            << false;
        QTest::newRow("replacing keeps the key and the place")
            << two << 1 << "TBItem41"
            << "附件二.DOC" << QStringList{"合同.doc", "附件二.DOC"} << 1 << true;
        QTest::newRow("a .doc replaced by a .pdf")
            << two << 0 << "TBItem41"
            << "合同.pdf" << QStringList{"合同.pdf", "附件.pdf"} << 0 << true;
    }
    void importAddsOrReplaces() {
        QFETCH(SeedDocuments, seeded);
        QFETCH(int, currentRow);
        QFETCH(QString, item);
        QFETCH(QString, picked);
        QFETCH(QStringList, names);
        QFETCH(int, changedRow);
        QFETCH(bool, sameKey);
        seed(seeded);
        if (currentRow > 0) clickRow(currentRow);
        const QString keyBefore =
            changedRow < grid()->rowCount() ? grid()->item(changedRow, 3)->text() : QString();
        const auto before = storedDocuments(*data_);
        const QString source = pickedFile(picked);

        import(item.toLatin1().constData(), source);

        QCOMPARE(desktop_->messages.size(), 0);
        QCOMPARE(listedNames(), names);
        QCOMPARE(grid()->currentRow(), 0);
        const qint64 key = grid()->item(changedRow, 3)->text().toLongLong();
        QCOMPARE(grid()->item(changedRow, 3)->text() == keyBefore, sameKey);
        const auto after = storedDocuments(*data_);
        QCOMPARE(after.size(), before.size() + (sameKey ? 0 : 1));
        const StoredDocument& stored = after.value(key);
        QCOMPARE(stored.conid, qint64(1));
        QCOMPARE(stored.name, picked);
        QCOMPARE(stored.document, fileBytes(source));
        // Only a word-processor document gets a copy; a replaced one never keeps the old.
        const bool word = picked.endsWith(".doc", Qt::CaseInsensitive);
        QCOMPARE(stored.rtf,
                 word ? std::optional<QByteArray>(ScriptedConverter::rtfFor(picked)) : kNoCopy);
        QCOMPARE(converter_->documents.size(), word ? 1 : 0);
        // The other rows are as they were.
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            if (it.key() != key) QCOMPARE(after.value(it.key()).document, it->document);
    }

    // The conversion works on a copy in the scratch folder; the preview then shows the
    // imported document, not the first row the reload made current.
    void importConvertsACopyAndPreviewsIt_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("converted");
        QTest::newRow(".doc") << "新合同.doc" << true;
        QTest::newRow(".DOC") << "新合同.DOC" << true;
        QTest::newRow(".docx") << "新合同.docx" << false;
        QTest::newRow("no extension") << "doc" << false;
    }
    void importConvertsACopyAndPreviewsIt() {
        QFETCH(QString, picked);
        QFETCH(bool, converted);
        seed(fourDocuments());
        preview()->setPlainText(kOldPreview);
        const QString source = pickedFile(picked);
        const QByteArray original = fileBytes(source);

        import("TBItem35", source);

        QCOMPARE(fileBytes(source), original);
        if (!converted) {
            QVERIFY(converter_->documents.isEmpty());
            QCOMPARE(preview()->toPlainText(), QString());
            return;
        }
        QCOMPARE(converter_->documents, QStringList{scratchFile(picked)});
        QCOMPARE(converter_->bytesSeen, QList<QByteArray>{original});
        const QString rtfCopy = scratchFile(picked.chopped(4) + ".rtf");
        QCOMPARE(fileBytes(rtfCopy), ScriptedConverter::rtfFor(picked));
        QCOMPARE(preview()->toPlainText(), previewOf(ScriptedConverter::rtfFor(picked)));
        QCOMPARE(listedNames().first(), QStringLiteral("合同.doc"));
    }

    // A real Word document with Chinese text, made by the office itself, goes in with an RTF
    // copy that holds the same text, and the preview reads that copy.
    void aWordDocumentIsConvertedByTheOffice() {
        const QString office = LibreOfficeConverter::installedProgram();
        QVERIFY2(!office.isEmpty(), "LibreOffice is not installed (libreoffice-writer-nogui)");
        const QString text = QStringLiteral("甲方：北京建设集团\n合同总价：壹佰万元整\n");
        const QString source = pickedFile("合同文本.txt", text.toUtf8());
        QProcess maker;
        maker.start(
            office,
            {"-env:UserInstallation=" +
                 QUrl::fromLocalFile(data_->files().path("maker")).toString(QUrl::FullyEncoded),
             "--headless", "--infilter=Text (encoded):UTF8", "--convert-to", "doc:MS Word 97",
             "--outdir", QFileInfo(source).path(), source});
        QVERIFY(maker.waitForFinished(120000));
        const QString word = QFileInfo(source).path() + "/合同文本.doc";
        const QByteArray original = fileBytes(word);
        QVERIFY2(!original.isEmpty(), maker.readAll().constData());
        LibreOfficeConverter converter;
        makePage(data_->files().programFolder(), &converter);
        seed({});

        import("TBItem35", word);

        QVERIFY2(desktop_->messages.isEmpty(), qPrintable(desktop_->messageTexts().join('\n')));
        QCOMPARE(fileBytes(word), original);
        const StoredDocument stored = storedDocuments(*data_).first();
        QCOMPARE(stored.document, original);
        QVERIFY(stored.rtf);
        const QByteArray rtf = *stored.rtf;
        qsizetype at = 0;
        for (const QChar ch : QStringLiteral("甲方：北京建设集团合同总价：壹佰万元整")) {
            const QByteArray escape = "\\u" + QByteArray::number(ch.unicode());
            at = rtf.indexOf(escape, at);
            QVERIFY2(at > 0, qPrintable(QString(ch)));
        }
        QCOMPARE(fileBytes(scratchFile("合同文本.rtf")), rtf);
        QCOMPARE(preview()->toPlainText(), previewOf(rtf));
        // The preview shows the document's own lines, in order, and nothing of the header.
        QCOMPARE(preview()->toPlainText().trimmed().split('\n'),
                 QStringList({QStringLiteral("甲方：北京建设集团"),
                              QStringLiteral("合同总价：壹佰万元整")}));
    }

    // A stale RTF file of the same name is replaced, never reused.
    void staleScratchFilesAreReplaced() {
        seed({});
        QFile::remove(scratchFile("合同.rtf"));
        QFile stale(scratchFile("合同.rtf"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("{\\rtf1 stale}");
        stale.close();
        converter_->status = ConversionResult::Failed;

        import("TBItem35", pickedFile("合同.doc"));

        QVERIFY(!QFileInfo::exists(scratchFile("合同.rtf")));
        QCOMPARE(storedDocuments(*data_).first().rtf, kNoCopy);
    }

    // Without an RTF copy the document is still stored, whole, and shows no preview.
    void noRtfCopyStoresTheDocumentAlone_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("office missing")
            << int(ConversionResult::Missing) << "您的机器上没有安装word"
            << "Error";
        QTest::newRow("conversion failed") << int(ConversionResult::Failed)
                                           << "无法生成文档的预览：文档转换超时，转换程序已被结束。"
                                           << QCoreApplication::applicationName();
    }
    void noRtfCopyStoresTheDocumentAlone() {
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(QString, title);
        seed({});
        converter_->status = ConversionResult::Status(status);
        converter_->detail = QStringLiteral("文档转换超时，转换程序已被结束");
        const QString source = pickedFile("合同.doc");

        import("TBItem35", source);

        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().text, text);
        QCOMPARE(desktop_->lastMessage().title, title);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        const auto stored = storedDocuments(*data_);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().document, fileBytes(source));
        QCOMPARE(stored.first().rtf, kNoCopy);
        QCOMPARE(listedNames(), QStringList{"合同.doc"});
        QCOMPARE(preview()->toPlainText(), QString());
        QVERIFY(!QFileInfo::exists(scratchFile("合同.rtf")));
    }

    // While the office works, the window paints but takes no input: a click or a key
    // made meanwhile is dropped, not acted on later, and the window cannot be closed.
    void waitingForTheConverterTakesNoInput() {
        seed(fourDocuments());
        QToolBar* bar = page_->findChild<QToolBar*>("TBToolbar4");
        QWidget* deleteButton = bar->widgetForAction(page_->findChild<QAction*>("TBItem38"));
        std::optional<Qt::CursorShape> cursor;
        converter_->whileWaiting = [&] {
            if (QApplication::overrideCursor()) cursor = QApplication::overrideCursor()->shape();
            QTest::mouseClick(deleteButton, Qt::LeftButton);
            QTest::keyClick(grid(), Qt::Key_Down);
            page_->close();
            QCoreApplication::processEvents();
        };

        import("TBItem35", pickedFile("合同二.doc"));

        QCOMPARE(cursor, std::optional<Qt::CursorShape>(Qt::WaitCursor));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(page_->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(desktop_->messages.isEmpty());  // no delete question, then or now
        QCOMPARE(listedNames().size(), 5);
        QCOMPARE(grid()->currentRow(), 0);
    }

    void cancellingOrNoContractChangesNothing() {
        seed(fourDocuments());
        const auto before = storedDocuments(*data_);
        preview()->setPlainText(kOldPreview);
        trigger("TBItem35");  // the dialog cancelled
        QCOMPARE(preview()->toPlainText(), kOldPreview);

        selected_ = std::nullopt;
        import("TBItem41", pickedFile("合同.doc"));
        QVERIFY(desktop_->messages.isEmpty());
        QVERIFY(converter_->documents.isEmpty());
        QCOMPARE(storedDocuments(*data_).keys(), before.keys());
    }

    // A file that cannot be copied, or a stale copy that cannot be removed, ends the
    // import before anything is converted or written.
    void importThatCannotCopyWritesNothing_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("stale");  // what stands in the scratch folder already
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("file gone") << "gone.doc"
                                   << ""
                                   << "拷贝文件出错"
                                   << "错误";
        QTest::newRow("a folder picked") << "folder.doc"
                                         << ""
                                         << "拷贝文件出错"
                                         << "错误";
        QTest::newRow("stale copy cannot be removed")
            << "合同.doc"
            << "合同.doc"
            << "临时文件正在使用" << QCoreApplication::applicationName();
        QTest::newRow("stale RTF cannot be removed")
            << "合同.doc"
            << "合同.rtf"
            << "临时文件正在使用" << QCoreApplication::applicationName();
    }
    void importThatCannotCopyWritesNothing() {
        QFETCH(QString, picked);
        QFETCH(QString, stale);
        QFETCH(QString, text);
        QFETCH(QString, title);
        seed(fourDocuments());
        const auto before = storedDocuments(*data_);
        QString source = pickedFile(picked);
        if (picked == "gone.doc") QFile::remove(source);
        if (picked == "folder.doc") {
            QFile::remove(source);
            QDir().mkpath(source);
        }
        // A folder where a file should go is something no delete removes, root or not.
        if (!stale.isEmpty()) QDir().mkpath(scratchFile(stale) + "/inside");

        import("TBItem35", source);

        QCOMPARE(desktop_->messages.size(), 1);
        QVERIFY2(desktop_->lastMessage().text.startsWith(text),
                 qPrintable(desktop_->lastMessage().text));
        QCOMPARE(desktop_->lastMessage().title, title);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(converter_->documents.isEmpty());
        QCOMPARE(storedDocuments(*data_).keys(), before.keys());
    }

    // A file picked from the scratch folder is its own copy: making way for the copy
    // must not delete the very file being imported.
    void aFilePickedFromTheScratchFolderIsKept() {
        seed({});
        const QString inScratch = scratchFile("草稿.doc");
        QFile draft(inScratch);
        QVERIFY(draft.open(QIODevice::WriteOnly));
        draft.write("the only copy of a draft");
        draft.close();

        import("TBItem35", inScratch);

        QVERIFY(desktop_->messages.isEmpty());
        QCOMPARE(fileBytes(inScratch), QByteArray("the only copy of a draft"));
        QCOMPARE(storedDocuments(*data_).first().document, QByteArray("the only copy of a draft"));
        QCOMPARE(converter_->documents, QStringList{inScratch});
    }

    // A failing write leaves no row without its document and no renamed row with old bytes.
    void failingStoreLeavesTheFileAsItWas_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("add") << "TBItem35";
        QTest::newRow("replace") << "TBItem41";
    }
    void failingStoreLeavesTheFileAsItWas() {
        QFETCH(QString, item);
        seed(fourDocuments());
        data_->refuseChanges("httext", "update of docfile", "磁盘已满");
        const auto before = storedDocuments(*data_);

        import(item.toLatin1().constData(), pickedFile("新文本.doc"));

        QCOMPARE(desktop_->messages.size(), 1);
        QVERIFY(desktop_->lastMessage().text.contains("磁盘已满"));
        const auto after = storedDocuments(*data_);
        QCOMPARE(after.keys(), before.keys());
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            QCOMPARE(after.value(it.key()).name, it->name);
            QCOMPARE(after.value(it.key()).document, it->document);
            QCOMPARE(after.value(it.key()).rtf, it->rtf);
        }
    }

    // ------------------------------------------------------------ the preview

    void clickingARowPreviewsItsRtfCopy() {
        seed(fourDocuments() << documentRow(12, 1, "无副本.doc"));
        preview()->setPlainText(kOldPreview);

        clickRow(2);  // 图纸.DOC
        QCOMPARE(fileBytes(scratchFile("图纸.rtf")), ScriptedConverter::rtfFor("图纸.DOC"));
        QCOMPARE(preview()->toPlainText(), previewOf(ScriptedConverter::rtfFor("图纸.DOC")));

        preview()->setPlainText(kOldPreview);
        clickRow(2, 0);  // the same row again: nothing runs
        QCOMPARE(preview()->toPlainText(), kOldPreview);

        clickRow(1);  // 附件.PDF: no preview, no scratch file
        QCOMPARE(preview()->toPlainText(), QString());
        QVERIFY(!QFileInfo::exists(scratchFile("附件.rtf")));

        preview()->setPlainText(kOldPreview);
        QTest::keyClick(grid(), Qt::Key_Down);  // the keyboard moves and previews too
        QCOMPARE(grid()->currentRow(), 2);
        QCOMPARE(preview()->toPlainText(), previewOf(ScriptedConverter::rtfFor("图纸.DOC")));

        clickRow(4);  // a .doc stored without a copy previews as empty
        QCOMPARE(preview()->toPlainText(), QString());
        QCOMPARE(fileBytes(scratchFile("无副本.rtf")), QByteArray());
        QVERIFY(desktop_->messages.isEmpty());

        // The list of another contract leaves the preview as it is.
        preview()->setPlainText(kOldPreview);
        page_->LoadDocumentList(2);
        QCOMPARE(preview()->toPlainText(), kOldPreview);
    }

    // Documents of the same name share one scratch file: the later preview replaces it.
    void sameNamesShareTheirScratchFile() {
        seed(fourDocuments() << documentRow(13, 2, "附件.pdf"));
        clickRow(3);
        clickRow(0);  // 合同.doc of contract 1
        QCOMPARE(fileBytes(scratchFile("合同.rtf")), ScriptedConverter::rtfFor("合同.doc"));
        page_->LoadDocumentList(2);
        clickRow(1);
        clickRow(0);  // 合同.doc of contract 2
        QCOMPARE(fileBytes(scratchFile("合同.rtf")), QByteArray("{\\rtf1 other}"));
    }

    // ------------------------------------------------------------ opening

    void openingTakesTheDocumentOutAndOpensIt() {
        seed(fourDocuments());
        clickRow(1);
        QFile stale(scratchFile("附件.PDF"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("an older file of the same name");
        stale.close();

        trigger("TBItem40");

        QCOMPARE(desktop_->opened, QList<QUrl>{QUrl::fromLocalFile(scratchFile("附件.PDF"))});
        QCOMPARE(fileBytes(scratchFile("附件.PDF")), QByteArray("stored 附件.PDF"));
        QVERIFY(desktop_->messages.isEmpty());
    }

    void openingTheEmptyRowSaysSo() {
        seed({});
        trigger("TBItem40");
        QVERIFY(desktop_->opened.isEmpty());
        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
    }

    // ------------------------------------------------------------ the scratch folder

    // One box for a scratch folder that cannot be made, whatever command needed it, and
    // nothing written.
    void scratchFolderThatCannotBeMadeIsOneBox_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("preview") << "preview";
        QTest::newRow("import") << "import";
        QTest::newRow("open") << "open";
    }
    void scratchFolderThatCannotBeMadeIsOneBox() {
        QFETCH(QString, command);
        const QString notAFolder = data_->files().path("program.bin");
        QFile(notAFolder).open(QIODevice::WriteOnly);
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", notAFolder.toUtf8());
        makePage(notAFolder);
        seed(fourDocuments());
        const auto before = storedDocuments(*data_);

        if (command == "preview") clickRow(2);
        if (command == "import") import("TBItem35", pickedFile("新合同.doc"));
        if (command == "open") trigger("TBItem40");
        qputenv("XDG_CACHE_HOME", oldCache);

        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().text, QStringLiteral("新建文件夹出错"));
        QCOMPARE(desktop_->lastMessage().title, QStringLiteral("错误"));
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Error);
        QVERIFY(desktop_->opened.isEmpty());
        QVERIFY(converter_->documents.isEmpty());
        QCOMPARE(storedDocuments(*data_).keys(), before.keys());
    }

    // ------------------------------------------------------------ deleting

    void deletingAsksThenReloads_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("currentAfter");
        QTest::addColumn<QString>("previewAfter");  // the document previewed, or "" for kept
        const QStringList all{"合同.doc", "附件.PDF", "图纸.DOC", "说明.doc"};
        QTest::newRow("row 3 of 4: row 2 current and previewed")
            << 2 << int(MessageAnswer::Yes) << QStringList{"合同.doc", "附件.PDF", "说明.doc"} << 1
            << "附件.PDF";
        QTest::newRow("row 4 of 4: row 3 current and previewed")
            << 3 << int(MessageAnswer::Yes) << QStringList{"合同.doc", "附件.PDF", "图纸.DOC"} << 2
            << "图纸.DOC";
        QTest::newRow("row 2: row 1 current, preview kept")
            << 1 << int(MessageAnswer::Yes) << QStringList{"合同.doc", "图纸.DOC", "说明.doc"} << 0
            << "";
        QTest::newRow("row 1: row 1 current, preview kept")
            << 0 << int(MessageAnswer::Yes) << QStringList{"附件.PDF", "图纸.DOC", "说明.doc"} << 0
            << "";
        QTest::newRow("answered no") << 2 << int(MessageAnswer::No) << all << 2 << "";
    }
    void deletingAsksThenReloads() {
        QFETCH(int, row);
        QFETCH(int, answer);
        QFETCH(QStringList, names);
        QFETCH(int, currentAfter);
        QFETCH(QString, previewAfter);
        seed(fourDocuments());
        if (row > 0) clickRow(row);
        preview()->setPlainText(kOldPreview);
        desktop_->answers << MessageAnswer(answer);

        trigger("TBItem38");

        QCOMPARE(desktop_->messages.size(), 1);
        QCOMPARE(desktop_->lastMessage().text, QStringLiteral("确定要删除当前合同文档吗？"));
        QCOMPARE(desktop_->lastMessage().title, QStringLiteral("确认"));
        QCOMPARE(desktop_->lastMessage().icon, MessageIcon::Question);
        QCOMPARE(desktop_->lastMessage().buttons, MessageButtons::YesNo);
        QCOMPARE(listedNames(), names);
        QCOMPARE(grid()->currentRow(), currentAfter);
        QCOMPARE(storedDocuments(*data_).size(), names.size() + 1);  // contract 2 keeps its own
        if (previewAfter.isEmpty()) {
            QCOMPARE(preview()->toPlainText(), kOldPreview);
        } else {
            const QByteArray rtf = storedDocuments(*data_)
                                       .value(grid()->item(currentAfter, 3)->text().toLongLong())
                                       .rtf.value_or(QByteArray());
            QCOMPARE(preview()->toPlainText(), previewOf(rtf));
            if (previewAfter.endsWith(".DOC"))
                QCOMPARE(fileBytes(scratchFile(previewAfter.chopped(4) + ".rtf")), rtf);
        }
    }

    void deletingTheEmptyRowDoesNothing() {
        seed({});
        trigger("TBItem38");
        QCOMPARE(desktop_->messages.size(), 1);  // the question only
        QCOMPARE(listed(), QStringList({"|||"}));
    }

    // A delete the file refuses is reported, and the list still shows the document.
    void failingDeleteIsReported() {
        seed(fourDocuments());
        data_->refuseChanges("httext", "delete", "文件只读");
        trigger("TBItem38");
        QCOMPARE(desktop_->messages.size(), 2);
        QVERIFY(desktop_->lastMessage().text.contains("文件只读"));
        QCOMPARE(listedNames().size(), 4);
        QCOMPARE(storedDocuments(*data_).size(), 5);
    }

    // "保存入模板" is offered and does nothing.
    void saveAsTemplateIsInert() {
        seed(fourDocuments());
        const auto before = storedDocuments(*data_);
        trigger("TBItem39");
        QVERIFY(desktop_->messages.isEmpty());
        QVERIFY(desktop_->fileDialogs.isEmpty());
        QCOMPARE(storedDocuments(*data_).keys(), before.keys());
    }
};

QTEST_MAIN(DocumentsTest)
#include "tst_documents.moc"
