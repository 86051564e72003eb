// Contract files of the earlier Windows program (Jet 4.0): reading them through libmdb
// and converting them into new contract files, from the library and from pzq-convert.
#include <sqlite3.h>

#include <QCryptographicHash>
#include <QtTest>

#include "AppError.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "JetDatabase.h"
#include "LegacyConversion.h"
#include "Statement.h"

namespace {

QString legacyData(const QString& name) {
    return ContractFileFixture::testData() + "/legacy/" + name;
}
QString sampleFile() { return ContractFileFixture::testData() + "/legacy-sample.pzq"; }

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Each row of a table as one line: texts quoted, amounts in their shortest exact form,
// binaries by the start of their SHA-256.
QStringList rowsOf(const QString& file, const QString& table) {
    ContractQuery query;
    query.setContractFile(file);
    Statement rows(query.database(), "select * from " + table + " order by 1");
    sqlite3_stmt* h = rows.handle();
    QStringList lines;
    while (rows.step()) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(h); ++i) {
            switch (sqlite3_column_type(h, i)) {
                case SQLITE_NULL:
                    values << "NULL";
                    break;
                case SQLITE_INTEGER:
                    values << QString::number(sqlite3_column_int64(h, i));
                    break;
                case SQLITE_FLOAT:
                    values << QString::number(sqlite3_column_double(h, i), 'g',
                                              QLocale::FloatingPointShortest);
                    break;
                case SQLITE_TEXT:
                    values << "'" + rows.text(i) + "'";
                    break;
                case SQLITE_BLOB: {
                    const QByteArray bytes(static_cast<const char*>(sqlite3_column_blob(h, i)),
                                           sqlite3_column_bytes(h, i));
                    values << sha256(bytes).left(16);
                    break;
                }
            }
        }
        lines << values.join('|');
    }
    return lines;
}

// A contract of the sample saved on the contract page: its rows follow one pattern.
QString savedContract(int id, const QString& code, const QString& name, const QString& important,
                      const QString& archived) {
    const QString day = QString("'2025-03-%1'").arg(id + 1, 2, 10, QChar('0'));
    return QStringList{QString::number(id),
                       "'" + code + "'",
                       QString("'HT-2025-00%1'").arg(id),
                       "'" + name + "'",
                       "'某某市城建投资有限公司'",
                       "'某某建设集团有限公司'",
                       "''",
                       "'华东管材有限公司'",
                       "'" + important + "'",
                       "'2025'",
                       QString("'B0%1'").arg(id),
                       "'工程部'",
                       "'市政工程'",
                       "'张工'",
                       day,
                       day,
                       day,
                       "'180天'",
                       "'合格'",
                       "'施工图范围内全部工程'",
                       day,
                       "'李总'",
                       "'钢筋混凝土结构'",
                       QString::number(id) + "000000.25",
                       "0",
                       "0",
                       "'施工合同'",
                       "'道路'",
                       "1500",
                       "-2.5",
                       "1e+07",
                       "0",
                       "100000.1",
                       "0.30000000000000004",
                       "0",
                       QString("'SB-%1'").arg(id),
                       "'含税价'",
                       "0",
                       day,
                       "0",
                       day,
                       QString("'GD-%1'").arg(id),
                       day,
                       "'" + archived + "'",
                       "'第一行备注\r\n第二行，含'单引号'\r\n'",
                       "NULL"}
        .join('|');
}

QString neverSavedContract(int id, const QString& code) {
    const QString day = QString("'2025-03-%1'").arg(id + 1, 2, 10, QChar('0'));
    QStringList values(46, "NULL");
    values[0] = QString::number(id);
    values[1] = "'" + code + "'";
    values[3] = "'新合同'";
    for (int dateColumn : {14, 15, 16, 20, 38, 40, 42}) values[dateColumn] = day;
    return values.join('|');
}

// The bytes of the sample's documents and scans (from their SHA-256).
const QString kDoc = "07973abbf046edd2";
const QString kRtf = "e5b53b5079134438";
const QString kPdf = "46773fa1ffdd4f11";
const QString kJpeg = "bd024bdcf2501468";
const QString kPng = "1a509553d4d5bac6";
const QString kGif = "ff3619a6cffa6a1b";

class SilentProgress : public ConversionProgress {
  public:
    int cancelAfterReports = -1;
    int reports = 0;
    QStringList tables;
    ConversionStatus last;
    void report(const ConversionStatus& status) override {
        ++reports;
        last = status;
    }
    bool cancelRequested() override {
        return cancelAfterReports >= 0 && reports >= cancelAfterReports;
    }
    void tableCopied(const QString& table, qint64 rows) override {
        tables << table + ' ' + QString::number(rows);
    }
};

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Where the sample keeps what the damage cases break: the header of the long value of
// htyj 1 (a JPEG of 10,409 bytes, over three pages), and the first of those pages.
constexpr int kJpegHeader = 262119;
constexpr int kJpegFirstPage = 60;

}  // namespace

class LegacyConversionTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    QString templatePath() const { return files->programFolder() + "/temp.mdb"; }
    QStringList leftovers() const {
        return QDir(files->path(QString())).entryList({"*.new-*", "*-journal"}, QDir::Files);
    }

  private Q_SLOTS:
    void init() { files = std::make_unique<ContractFileFixture>(); }
    void cleanup() { files.reset(); }

    void everyValueOfTheSampleArrives() {
        const QByteArray oldBytes = fileBytes(sampleFile());
        const QString target = files->path("new.pzq");
        SilentProgress progress;
        convertLegacyContractFile(sampleFile(), target, templatePath(), progress);

        QCOMPARE(fileBytes(sampleFile()), oldBytes);
        QCOMPARE(progress.tables, QStringList({"htmain 7", "httext 3", "htfk 3", "htsp 1", "htyj 2",
                                               "htqtyj 2", "infoset 8", "ghdwinfo 3"}));
        QVERIFY(progress.last.done > 0 && progress.last.done <= progress.last.total);
        QVERIFY(leftovers().isEmpty());

        const QStringList contracts = rowsOf(target, "htmain");
        const QStringList expectedContracts = {
            savedContract(1, "0002", "滨江路道路改造工程", "true", "true"),
            savedContract(2, "00020002", "雨污水管网分包", "false", "false"),
            savedContract(3, "000200020002", "管材采购", "true", "false"),
            savedContract(4, "00020003", "绿化工程", "True", "false"),
            neverSavedContract(5, "0003"),
            savedContract(6, "0005", "办公楼装修 \"二期\"", "false", "false"),
            savedContract(7, "00050002", "It's a 'quoted' name", "true", "false")};
        QCOMPARE(contracts.size(), expectedContracts.size());
        for (int i = 0; i < contracts.size(); ++i)
            QCOMPARE(contracts[i].split('|'), expectedContracts[i].split('|'));

        QCOMPARE(rowsOf(target, "httext"),
                 QStringList({"1|1|'contract.doc'|" + kDoc + "|" + kRtf,
                              "2|1|'annex.pdf'|" + kPdf + "|NULL",
                              "4|2|'合同正文.DOC'|" + kDoc + "|" + kRtf}));
        QCOMPARE(rowsOf(target, "htfk"),
                 QStringList({"1|1|'第一期进度款'|100000.1|100000.1|'2025-04-01'|'SB-01'|'FP-0001'|"
                              "'按月支付\r\n附发票'",
                              "2|1|'第二期进度款'|0.2|0|'2025-05-01'|''|''|''",
                              "5|2|'预付款'|50000|0|'2025-03-15'|'SB-03'|''|NULL"}));
        QCOMPARE(rowsOf(target, "htsp"),
                 QStringList(
                     {"1|1|'工期延误索赔'|25000|0|'2025-06-01'|'SP-01'|''|'因甲方原因停工15天'"}));
        QCOMPARE(rowsOf(target, "htyj"),
                 QStringList({"1|1|'合同首页'|'签字页\r\n共2页'|'scan1.jpg'|" + kJpeg,
                              "2|1|'未载入图片的记录'|''|''|NULL"}));
        QCOMPARE(rowsOf(target, "htqtyj"),
                 QStringList({"1|1|'验收单'|'竣工验收'|'scan2.png'|" + kPng,
                              "3|4|'现场照片'|''|'scan3.gif'|" + kGif}));
        QCOMPARE(rowsOf(target, "infoset"),
                 QStringList({"1|'bmlb'|'工程部'", "2|'bmlb'|'财务部'", "3|'htlb'|'施工合同'",
                              "4|'htlb'|'采购合同'", "5|'gclb'|'市政工程'", "6|'htpz'|'道路'",
                              "7|'xxxx'|'unknown kind'", "8|'htpz'|'桥梁'"}));
        QCOMPARE(rowsOf(target, "ghdwinfo"),
                 QStringList({"1|'华东管材有限公司'|'上海市浦东新区'|'供方'|'王经理'|'021-5555'|'"
                              "021-5556'|'200120'|"
                              "'工商银行'|'6222000011112222'|'91310000XXXX'|'上海'",
                              "2|'北方钢铁集团'|'天津市'|'供方'|'赵'|''|''|''|''|''|''|'天津'",
                              "3|'阿里建材'|'杭州市'|'需方'|''|''|''|''|''|''|''|'浙江'"}));
    }

    void aLongBinaryArrivesByteForByte() {
        JetDatabase database(legacyData("test2V2000.mdb"));
        std::unique_ptr<JetTable> projects = database.openTable("MSP_PROJECTS");
        QVERIFY(projects->next());
        const int column = projects->columnIndex("reserved_binary_data");
        QCOMPARE(projects->columns()[column].type, JetType::LongBinary);
        QCOMPARE(projects->longValueSize(column), 22970);
        QByteArray bytes;
        int pieces = 0;
        projects->readLongValue(column, [&](const char* data, qsizetype size) {
            bytes.append(data, size);
            ++pieces;
        });
        QVERIFY(pieces > 1);  // it spans pages
        QCOMPARE(bytes, fileBytes(legacyData("test2BinData.dat")));
        QVERIFY(projects->text(projects->columnIndex("PROJ_PROP_AUTHOR"))
                    .startsWith("Jon Iles this is a a vawesrasoih"));
        QVERIFY(!projects->next());
    }

    void compressedAndPlainUnicodeTextsRead() {
        JetDatabase database(legacyData("testUnicodeCompV2003.mdb"));
        std::unique_ptr<JetTable> table = database.openTable("Table");
        QMap<qint64, QString> texts;
        while (table->next())
            texts.insert(table->integer(0), table->text(table->columnIndex("Unicode")));
        QCOMPARE(texts.size(), 8);
        QCOMPARE(texts[1], QString("only ascii chars"));
        QCOMPARE(texts[2], QString("ääkkösiä"));
        QCOMPARE(texts[3], QString("Мир"));
        // Greek with the oxia accents as Access stored them, not their tonos equivalents.
        QCOMPARE(texts[4],
                 QString::fromUtf16(u"\u03F0\u03B1\u1F76 \u03C4\u1F79\u03C4' \u1F10\u03B3\u1F7C "
                                    u"\u039A\u1F7B\u03F0\u03BB\u03C9\u03C0\u03B1"));
        QCOMPARE(texts[5], QString("漢字仮名交じり文"));
        QCOMPARE(texts[6], QString::fromUtf16(u"3L9\u001D52\u0002_AB(\u00A5\u0005!!V"));
        QCOMPARE(texts[7], QString("ümlaut"));
        QString everyOneByteCharacter;
        for (char16_t c = 1; c <= 0xFF; ++c) everyOneByteCharacter += QChar(c);
        QCOMPARE(texts[8], everyOneByteCharacter);
    }

    void damageStopsTheConversionAndNamesTheRow_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("cut in half") << "truncated" << QStringList{"旧版合同文件已损坏", "表 "};
        QTest::newRow("last data pages cut off")
            << "cut at the end" << QStringList{"表 infoset 应有 8 行，只读到 0 行"};
        QTest::newRow("long value shorter than its header")
            << "longer header"
            << QStringList{"表 htyj 第 1 行（htyjid=1）", "htyjpic", "比记录的长度 14409 字节短"};
        QTest::newRow("long value page of the wrong kind")
            << "wrong page" << QStringList{"表 htyj 第 1 行（htyjid=1）", "第 60 页不是长值页"};
    }
    void damageStopsTheConversionAndNamesTheRow() {
        QFETCH(QString, damage);
        QFETCH(QStringList, said);
        QByteArray bytes = fileBytes(sampleFile());
        if (damage == "truncated") {
            bytes.truncate(bytes.size() / 2);
        } else if (damage == "cut at the end") {
            bytes.truncate(300000);
        } else if (damage == "longer header") {
            QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + kJpegHeader), 10409u);
            qToLittleEndian<quint32>(14409, bytes.data() + kJpegHeader);
        } else {
            QCOMPARE(bytes.mid(kJpegFirstPage * 4096 + 4, 4), QByteArray("LVAL"));
            bytes[kJpegFirstPage * 4096] = 0x02;
        }
        const QString old = files->path("damaged.pzq");
        writeBytes(old, bytes);
        const QString target = files->path("new.pzq");
        SilentProgress progress;
        try {
            convertLegacyContractFile(old, target, templatePath(), progress);
            QFAIL("the damaged file converted");
        } catch (const ConversionCancelled&) {
            QFAIL("cancelled");
        } catch (const AppError& error) {
            for (const QString& part : said)
                QVERIFY2(error.text().contains(part), qPrintable(error.text()));
        }
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(leftovers().isEmpty());
        QCOMPARE(fileBytes(old), bytes);
    }

    void aCancelLeavesNoFileAndTheOldTargetAsItWas() {
        const QString target = files->path("new.pzq");
        writeBytes(target, "what was there");
        SilentProgress progress;
        progress.cancelAfterReports = 10;
        QVERIFY_THROWS_EXCEPTION(
            ConversionCancelled,
            convertLegacyContractFile(sampleFile(), target, templatePath(), progress));
        QCOMPARE(fileBytes(target), QByteArray("what was there"));
        QVERIFY(leftovers().isEmpty());
    }

    void whatCannotBeConvertedIsRefused_data() {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("said");
        QTest::newRow("Access file without contract tables")
            << legacyData("adox_jet4.mdb") << "不是旧版合同文件";
        QTest::newRow("a new contract file")
            << ContractFileFixture::templatePath() << "已经是新版的合同文件";
        QTest::newRow("missing") << "nowhere.pzq"
                                 << "旧版合同文件不存在";
        QTest::newRow("not a database") << legacyData("test2BinData.dat") << "不是旧版合同文件";
        QTest::newRow("onto itself") << "itself"
                                     << "不能与旧版合同文件同名";
    }
    void whatCannotBeConvertedIsRefused() {
        QFETCH(QString, old);
        QFETCH(QString, said);
        QString target = files->path("new.pzq");
        if (old == "itself") {
            old = target;
            QFile::copy(sampleFile(), target);
        } else if (old == "nowhere.pzq") {
            old = files->path(old);
        }
        const QByteArray before = fileBytes(target);
        SilentProgress progress;
        try {
            convertLegacyContractFile(old, target, templatePath(), progress);
            QFAIL("converted");
        } catch (const AppError& error) {
            QVERIFY2(error.text().contains(said), qPrintable(error.text()));
        }
        QCOMPARE(fileBytes(target), before);
        QVERIFY(leftovers().isEmpty());
    }

    void theCommandLineConverts() {
        QProcess convert;
        convert.start(PZQ_CONVERT, {sampleFile(), files->path("new.pzq")});
        QVERIFY(convert.waitForFinished());
        QCOMPARE(convert.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(convert.readAllStandardOutput()),
                 "htmain 7\nhttext 3\nhtfk 3\nhtsp 1\nhtyj 2\nhtqtyj 2\ninfoset 8\nghdwinfo 3\n");
        QCOMPARE(rowsOf(files->path("new.pzq"), "htyj").size(), 2);
    }

    void theCommandLineSaysWhyItFailed() {
        QByteArray bytes = fileBytes(sampleFile());
        bytes[kJpegFirstPage * 4096] = 0x02;
        writeBytes(files->path("damaged.pzq"), bytes);
        QProcess convert;
        convert.start(PZQ_CONVERT, {files->path("damaged.pzq"), files->path("new.pzq")});
        QVERIFY(convert.waitForFinished());
        QCOMPARE(convert.exitCode(), 1);
        QVERIFY(QString::fromUtf8(convert.readAllStandardError())
                    .contains("旧版合同文件已损坏：表 htyj 第 1 行"));
        QVERIFY(!QFileInfo::exists(files->path("new.pzq")));

        convert.start(PZQ_CONVERT, {sampleFile()});
        QVERIFY(convert.waitForFinished());
        QCOMPARE(convert.exitCode(), 2);
        QVERIFY(QString::fromUtf8(convert.readAllStandardError()).contains("用法"));
    }
};

QTEST_GUILESS_MAIN(LegacyConversionTest)
#include "tst_legacyconversion.moc"
