// Paper, PDF and spreadsheets: the contract's sheet, the ledgers and the contract register.
#include <QPrintPreviewDialog>
#include <QtTest>
#include <QtWidgets>

#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "ContractRegister.h"
#include "ContractSheet.h"
#include "ContractTree.h"
#include "LedgerReport.h"
#include "PrintedPages.h"
#include "ReplacingFile.h"
#include "ReportCommands.h"
#include "ScriptedDesktop.h"
#include "Tmainf.h"

namespace {

// The output of a program, or a failure naming it.
QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& pdf) { return run("pdftotext", {"-enc", "UTF-8", pdf, "-"}); }

// Text without its blanks: pdftotext drops the spaces between Chinese characters.
QString squeezed(QString text) { return text.remove(QRegularExpression("\\s")); }

// One part of an .xlsx (a zip of XML files).
QString xlsxPart(const QString& xlsx, const QString& part) {
    return run("unzip", {"-p", xlsx, part});
}

// The XML of one cell of the first sheet, "" when it is not written.
QString cellXml(const QString& sheetXml, const QString& cell) {
    const QRegularExpression pattern(QStringLiteral("<c r=\"%1\"[^>]*(/>|>.*?</c>)").arg(cell));
    return pattern.match(sheetXml).captured(0);
}

// The text of a cell written inline, as the constant-memory mode writes strings.
QString cellString(const QString& sheetXml, const QString& cell) {
    const QRegularExpression pattern(QStringLiteral("<t[^>]*>(.*?)</t>"),
                                     QRegularExpression::DotMatchesEverythingOption);
    QString text = pattern.match(cellXml(sheetXml, cell)).captured(1);
    text.replace("&amp;", "&").replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">");
    return text;
}

QString cellValue(const QString& sheetXml, const QString& cell) {
    return QRegularExpression(QStringLiteral("<v>(.*?)</v>"))
        .match(cellXml(sheetXml, cell))
        .captured(1);
}

QString cellFormula(const QString& sheetXml, const QString& cell) {
    return QRegularExpression(QStringLiteral("<f>(.*?)</f>"))
        .match(cellXml(sheetXml, cell))
        .captured(1);
}

// The number format of a cell, through its style index.
QString cellNumberFormat(const QString& xlsx, const QString& sheetXml, const QString& cell) {
    const QString style =
        QRegularExpression(" s=\"(\\d+)\"").match(cellXml(sheetXml, cell)).captured(1);
    const QString styles = xlsxPart(xlsx, "xl/styles.xml");
    const QString cellXfs =
        QRegularExpression("<cellXfs[^>]*>(.*?)</cellXfs>").match(styles).captured(1);
    const QStringList xfs = [&] {
        QStringList all;
        auto it = QRegularExpression("<xf [^>]*>").globalMatch(cellXfs);
        while (it.hasNext()) all << it.next().captured(0);
        return all;
    }();
    const int index = style.isEmpty() ? 0 : style.toInt();
    if (index >= xfs.size()) return {};
    const QString id = QRegularExpression("numFmtId=\"(\\d+)\"").match(xfs[index]).captured(1);
    return QRegularExpression(
               QStringLiteral("<numFmt numFmtId=\"%1\" formatCode=\"([^\"]*)\"").arg(id))
        .match(styles)
        .captured(1);
}

const QString kMemo = QStringLiteral("第一行 \"引号\" 'single'\r\n第二行");

// A contract with quotes, line breaks and amounts, two payments, no claims, a document
// and a scan of each kind.
QStringList contractWithLedgers() {
    return {
        "insert into htmain (conid,concode,showcode,conname,jiafang,yifang,zhongyao,htjk,yfjk,jsje,"
        "qdrq,gd,cbdd,partname) values (1,'0002','HT-2026-01','教学楼''A''座 "
        "\"主体\"工程','甲方建设集团',"
        "'乙方工程有限公司','true',1500000,250000.5,1499999.75,'2026-03-15','false','" +
            QString(kMemo).replace("'", "''") + "','基建处')",
        "insert into htfk (fkid,conid,fkname,fkje,fpje,fkrq,sbdh,fph) values "
        "(1,1,'首付款',100000.1,100000,'2026-04-01','SB-1','FP-1')",
        "insert into htfk (fkid,conid,fkname,fkje,fpje,fkrq,sbdh,fph) values "
        "(2,1,'进度款',0.2,0,'','SB-2','')",
        "insert into httext (id,conid,textname) values (1,1,'施工合同正本.doc')",
        "insert into htyj (htyjid,conid,htyjname) values (1,1,'签字页扫描')",
        "insert into htqtyj (qtyjid,conid,qtyjname) values (1,1,'中标通知书')",
    };
}

// 1200 contracts at the top level, enough for the progress to be asked several times.
const QString kManyContracts = QStringLiteral(
    "with recursive n(i) as (select 1 union all select i+1 from n where i<1200) "
    "insert into htmain (conid,concode,conname) select i,substr('000'||(i+1),-4),'合同'||i from n");

void writeText(const QString& path, const QByteArray& bytes) {
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
}

}  // namespace

class ReportsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    QString file;
    std::unique_ptr<ContractQuery> query;
    ScriptedDesktop desktop;

    void openFile(const QStringList& seed) {
        file = files->newContractFile();
        ContractFileFixture::execute(file, seed);
        query->setContractFile(file);
    }
    QStringList folderEntries() const {
        return QDir(files->path(QString()))
            .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

  private Q_SLOTS:
    void init() {
        files = std::make_unique<ContractFileFixture>();
        query = std::make_unique<ContractQuery>();
        desktop = ScriptedDesktop();
    }
    void cleanup() {
        query.reset();
        files.reset();
    }

    void sheetShowsEveryFieldLedgerAndName() {
        openFile(contractWithLedgers());
        const ContractSheet sheet = readContractSheet(*query, 1);
        auto document = contractSheetDocument(sheet);
        const QString pdf = files->path("sheet.pdf");
        writeDocumentPdf(*document, pdf, QDate(2026, 5, 20), "sheet");
        const QString text = pdfText(pdf);

        for (const char* caption :
             {"合同编号", "合同名称",       "甲方",     "乙方",       "丙方",       "单位名称",
              "重要",     "所属年度",       "部门编号", "所属部门",   "工程类别",   "项目经理",
              "开工日期", "竣工日期",       "呈批日期", "工期",       "质量要求",   "承包范围",
              "审批人",   "结构及规格说明", "概算金额", "超概算金额", "节概算金额", "合同类别",
              "合同项目", "合同价款",       "签证变量", "工程总造价", "代付款",     "已付价款",
              "剩余价款", "发票数额",       "申报单号", "合同价说明", "预付款金额", "预付款日期",
              "结算金额", "结算日期",       "归档编号", "归档日期",   "归档",       "存放地点",
              "备注"})
            QVERIFY2(text.contains(QString::fromUtf8(caption) + "："), caption);
        for (const char* value : {"教学楼'A'座 \"主体\"工程（HT-2026-01）",
                                  "甲方建设集团",
                                  "乙方工程有限公司",
                                  "基建处",
                                  "1500000",
                                  "250000.5",
                                  "1499999.75",
                                  "2026-03-15",
                                  "第一行 \"引号\" 'single'",
                                  "第二行",
                                  "首付款",
                                  "100000.1",
                                  "进度款",
                                  "0.2",
                                  "100000.3",
                                  "SB-1",
                                  "FP-1",
                                  "施工合同正本.doc",
                                  "签字页扫描",
                                  "中标通知书",
                                  "打印日期：2026-05-20"})
            QVERIFY2(text.contains(QString::fromUtf8(value)), value);
        QVERIFY(squeezed(text).contains(squeezed(pageFooter(1, 1))));
        // The memo's CR LF is a line break on paper, not a stray character.
        QVERIFY(!text.contains(QChar('\r')));
        // The claims ledger is empty: its sums row reads 合计 0 0.
        QCOMPARE(text.count("合计"), 2);
        // Chinese is real text in an embedded CJK font.
        const QString fonts = run("pdffonts", {pdf});
        QVERIFY2(fonts.contains("WenQuanYi"), qPrintable(fonts));
        QVERIFY2(!fonts.contains(QRegularExpression(" no +(yes|no) +(yes|no) +\\d+ +\\d+\\s*$",
                                                    QRegularExpression::MultilineOption)),
                 qPrintable(fonts));
    }

    void everyPageCarriesItsNumberAndTheCount() {
        QStringList seed = contractWithLedgers();
        for (int i = 3; i < 120; ++i)
            seed << QStringLiteral(
                        "insert into htfk (fkid,conid,fkname,fkje,fpje,fkrq) values "
                        "(%1,1,'第%1笔',1,1,'2026-04-01')")
                        .arg(i);
        openFile(seed);
        auto document = contractSheetDocument(readContractSheet(*query, 1));
        const QString pdf = files->path("long.pdf");
        writeDocumentPdf(*document, pdf, QDate(2026, 5, 20), "long");
        const QStringList pages = pdfText(pdf).split(QChar('\f'), Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 3);
        const int count = pages.size() - (pages.last().trimmed().isEmpty() ? 1 : 0);
        for (int i = 0; i < count; ++i) {
            QVERIFY2(squeezed(pages[i]).contains(squeezed(pageFooter(i + 1, count))),
                     qPrintable(pages[i].right(200)));
            QVERIFY(pages[i].contains("打印日期：2026-05-20"));
        }
        // The ledger's titles start every page it continues on.
        QVERIFY(pages[count - 2].contains("付款金额"));
    }

    void ledgerPreviewDocumentIsHeadedByItsContract() {
        openFile(contractWithLedgers());
        auto document = ledgerDocument(readLedger(*query, 1, LedgerKind::Claims), "教学楼", "HT-1");
        const QString text = document->toPlainText();
        QVERIFY(text.startsWith("教学楼（HT-1）"));
        QVERIFY(text.contains("索赔金额"));
        QVERIFY(text.contains("合计"));
    }

    void ledgerSpreadsheetHoldsNumbersDatesAndSums() {
        openFile(contractWithLedgers());
        const QString xlsx = files->path("ledger.xlsx");
        writeLedgerXlsx(readLedger(*query, 1, LedgerKind::Payments), "教学楼（HT-1） 付款记录",
                        xlsx);
        const QString sheet = xlsxPart(xlsx, "xl/worksheets/sheet1.xml");

        QCOMPARE(cellString(sheet, "A1"), QString("教学楼（HT-1） 付款记录"));
        QCOMPARE(cellString(sheet, "B2"), QString("付款金额"));
        QCOMPARE(cellString(sheet, "A3"), QString("首付款"));
        // Amounts are numbers with two decimals, not texts.
        QVERIFY(!cellXml(sheet, "B3").contains("t=\""));
        QCOMPARE(cellValue(sheet, "B3").toDouble(), 100000.1);
        QCOMPARE(cellNumberFormat(xlsx, sheet, "B3"), QString("#,##0.00"));
        // Dates are day numbers shown as dates; a record without a date leaves its cell empty.
        QCOMPARE(cellValue(sheet, "D3"),
                 QString::number(QDate(1899, 12, 30).daysTo(QDate(2026, 4, 1))));
        QCOMPARE(cellNumberFormat(xlsx, sheet, "D3"), QString("yyyy-mm-dd"));
        QVERIFY(cellXml(sheet, "D4").isEmpty());
        // The sums row: formulas over the records, with the sums they give.
        QCOMPARE(cellString(sheet, "A5"), QString("合计"));
        QCOMPARE(cellFormula(sheet, "B5"), QString("SUM(B3:B4)"));
        QCOMPARE(cellValue(sheet, "B5").toDouble(), 100000.3);
        QCOMPARE(cellFormula(sheet, "C5"), QString("SUM(C3:C4)"));
        QCOMPARE(cellValue(sheet, "C5").toDouble(), 100000.0);
        // The titles stay in view.
        QVERIFY(sheet.contains("ySplit=\"2\""));
    }

    void emptyLedgerSpreadsheetKeepsItsEmptyRow() {
        openFile(contractWithLedgers());
        const QString xlsx = files->path("claims.xlsx");
        writeLedgerXlsx(readLedger(*query, 1, LedgerKind::Claims), "x", xlsx);
        const QString sheet = xlsxPart(xlsx, "xl/worksheets/sheet1.xml");
        QCOMPARE(cellString(sheet, "B2"), QString("索赔金额"));
        QCOMPARE(cellString(sheet, "A4"), QString("合计"));
        QCOMPARE(cellFormula(sheet, "B4"), QString("SUM(B3:B3)"));
        QCOMPARE(cellValue(sheet, "B4").toDouble(), 0.0);
    }

    void registerFollowsTheTreeWithItsSums() {
        // Stored out of order; payments and claims spread over several contracts.
        openFile({
            "insert into htmain (conid,concode,conname,htjk,gd) values "
            "(1,'0003','三号楼',500,'true')",
            "insert into htmain (conid,concode,conname,htjk) values "
            "(2,'00020003','二号楼附属',300)",
            "insert into htmain (conid,concode,conname,htjk) values (3,'0002','二号楼',1000)",
            "insert into htmain (conid,concode,conname,htjk) values "
            "(4,'000200020002','二号楼基础',50)",
            "insert into htmain (conid,concode,conname,htjk) values "
            "(5,'00020002','二号楼主体',400)",
            "insert into htfk (fkid,conid,fkje,fpje) values "
            "(1,3,100,0),(2,3,50.5,0),(3,5,400,0),(4,1,1,0)",
            "insert into htsp (spid,conid,spje,fpje) values (1,3,7,0),(2,4,2.5,0)",
        });
        QStringList rows;
        readRegister(*query, [&rows](const RegisterRow& r) {
            rows << QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                        .arg(r.code)
                        .arg(r.depth)
                        .arg(r.name)
                        .arg(r.payments)
                        .arg(r.claims)
                        .arg(r.unpaid())
                        .arg(r.archived);
            return true;
        });
        QCOMPARE(rows,
                 QStringList({"0002 0 二号楼 150.5 7 849.5 0", "00020002 1 二号楼主体 400 0 0 0",
                              "000200020002 2 二号楼基础 0 2.5 50 0",
                              "00020003 1 二号楼附属 0 0 300 0", "0003 0 三号楼 1 0 499 1"}));

        const QString xlsx = files->path("register.xlsx");
        QVERIFY(exportRegisterXlsx(*query, xlsx, {}));
        const QString sheet = xlsxPart(xlsx, "xl/worksheets/sheet1.xml");
        QCOMPARE(cellString(sheet, "A1"), QString("合同编码"));
        QCOMPARE(cellString(sheet, "N1"), QString("未付"));
        QCOMPARE(cellString(sheet, "B4"), QString("二号楼基础"));  // indented by its cell format
        QCOMPARE(cellValue(sheet, "N2").toDouble(), 849.5);
        QCOMPARE(cellString(sheet, "O6"), QString("是"));
        QVERIFY(xlsxPart(xlsx, "xl/styles.xml").contains("indent=\"2\""));

        const QString pdf = files->path("register.pdf");
        QVERIFY(exportRegisterPdf(*query, pdf, QDate(2026, 5, 20), {}));
        const QString text = pdfText(pdf);
        for (const char* expected : {"合同台账", "二号楼基础", "849.5", "打印日期：2026-05-20"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(squeezed(text).contains(squeezed(pageFooter(1, 1))));
    }

    void cancelledExportLeavesNoFile_data() {
        QTest::addColumn<bool>("pdf");
        QTest::newRow("xlsx") << false;
        QTest::newRow("pdf") << true;
    }
    void cancelledExportLeavesNoFile() {
        QFETCH(bool, pdf);
        openFile({kManyContracts});
        const QString target = files->path(pdf ? "register.pdf" : "register.xlsx");
        writeText(target, "earlier export");
        const QStringList before = folderEntries();

        qint64 calls = 0, lastDone = -1;
        const ExportProgress cancelMidway = [&](qint64 done, qint64 total) {
            ++calls;
            lastDone = done;
            return done == 0 || done < total / 2;
        };
        const bool finished =
            pdf ? exportRegisterPdf(*query, target, QDate(2026, 5, 20), cancelMidway)
                : exportRegisterXlsx(*query, target, cancelMidway);
        QVERIFY(!finished);
        QVERIFY(calls > 2);
        QVERIFY(lastDone > 0 && lastDone < 1200);
        // The earlier file of that name is untouched and nothing was left beside it.
        QCOMPARE(fileBytes(target), QByteArray("earlier export"));
        QCOMPARE(folderEntries(), before);
    }

    void exportToAFolderThatCannotBeWritten_data() {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("register to xlsx") << "/no-such-folder/合同台账.xlsx";
        QTest::newRow("register to pdf") << "/no-such-folder/合同台账.pdf";
        QTest::newRow("ledger") << "/no-such-folder/付款.xlsx";
    }
    void exportToAFolderThatCannotBeWritten() {
        QFETCH(QString, chosen);
        openFile(contractWithLedgers());
        QWidget parent;
        desktop.filesToSave << chosen;
        if (QTest::currentDataTag() == QByteArray("ledger"))
            exportLedgerToXlsx(&parent, *query, desktop, 1, LedgerKind::Payments);
        else
            exportContractRegister(&parent, *query, desktop);
        QCOMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.lastMessage().text.left(20), cannotWriteFileMessage(chosen).left(20));
        QVERIFY(desktop.lastMessage().text.contains(chosen));
        QCOMPARE(desktop.lastMessage().icon, MessageIcon::Error);
        QVERIFY(!QFileInfo::exists(chosen));
    }

    void exportAsksBeforeReplacingAFile_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("yes") << MessageAnswer::Yes << true;
        QTest::newRow("no") << MessageAnswer::No << false;
    }
    void exportAsksBeforeReplacingAFile() {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, replaced);
        openFile(contractWithLedgers());
        const QString target = files->path("台账.xlsx");
        writeText(target, "earlier export");
        desktop.filesToSave << files->path("台账");  // the suffix is added
        desktop.answers << answer;
        QWidget parent;
        exportContractRegister(&parent, *query, desktop);
        QCOMPARE(desktop.messageTexts(), QStringList{"文件已经存在，是否覆盖？"});
        QCOMPARE(fileBytes(target).startsWith("PK"), replaced);
    }

    void printWithoutContractSaysSo() {
        openFile(contractWithLedgers());
        Tmainf window(desktop, files->programFolder());
        window.show();
        window.OpenContractFile(file);
        desktop.messages.clear();
        window.findChild<QAction*>("TBItem19")->trigger();
        QCOMPARE(desktop.messageTexts(), QStringList{"请选择选择一个合同"});
        QCOMPARE(desktop.lastMessage().title, QString("提示"));
        QVERIFY(!window.findChild<QDialog*>("printPreview"));
    }

    void printShowsThePreviewOfTheSelectedContract() {
        openFile(contractWithLedgers());
        Tmainf window(desktop, files->programFolder());
        window.show();
        window.OpenContractFile(file);
        window.tree().view()->setCurrentItem(window.tree().view()->topLevelItem(0));
        desktop.messages.clear();
        QString shownTitle;
        QTimer::singleShot(0, [&shownTitle] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!preview) return;
            shownTitle = preview->windowTitle();
            preview->reject();
        });
        window.findChild<QAction*>("TBItem6")->trigger();
        QVERIFY(desktop.messages.isEmpty());
        QVERIFY2(shownTitle.contains("HT-2026-01"), qPrintable(shownTitle));
    }

    void registerCommandSitsInTheFileMenuAndWaitsForAFile() {
        openFile(contractWithLedgers());
        Tmainf window(desktop, files->programFolder());
        window.show();
        QStringList names;
        for (QAction* a : window.findChild<QMenu*>("TBSubmenuItem5")->actions())
            names << (a->isSeparator() ? QStringLiteral("—") : a->objectName());
        QCOMPARE(
            names,
            QString("TBItem5 TBItem4 TBItem3 TBItem2 exportRegisterItem — connectToServerItem "
                    "uploadToServerItem saveAsContractFileItem — TBItem1")
                .split(' '));
        QAction* item = window.findChild<QAction*>("exportRegisterItem");
        QCOMPARE(item->text(), QString("导出合同台账"));
        QVERIFY(!item->isEnabled());

        window.OpenContractFile(file);
        QVERIFY(item->isEnabled());
        desktop.filesToSave << files->path("台账.pdf");
        item->trigger();
        QVERIFY(desktop.messages.isEmpty());
        QVERIFY(pdfText(files->path("台账.pdf")).contains("教学楼"));
    }
};

QTEST_MAIN(ReportsTest)
#include "tst_reports.moc"
