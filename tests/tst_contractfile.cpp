// The contract file itself: what the template holds, which files the query object refuses
// before the engine may touch them, and what opening a good file does to it.
//
// The common kinds of bad file (missing, folder, random bytes, cut in half, old format,
// foreign or partial database) are driven through the window in tst_filelifecycle; the
// cases here are the ones that only show at this level.
#include <sqlite3.h>

#include <QtTest>

#include "AppError.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Reads one column of every row through a connection of the test's own, so that the
// file is seen as any other program would see it.
QStringList column(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    QStringList values;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return values;
}

QString openingError(const QString& path) {
    ContractQuery query;
    query.setContractFile(path);
    try {
        query.RunQuery(QStringLiteral("select count(*) as a from htmain"));
    } catch (const AppError& error) {
        return error.text();
    }
    return {};
}

}  // namespace

class ContractFileTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;

private Q_SLOTS:
    void init() { files = std::make_unique<ContractFileFixture>(); }
    void cleanup() { files.reset(); }

    // ------------------------------------------------------------------ the template

    void templateHoldsTheTablesEmpty_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("columns");  // name and declared type, in order
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("indexed");  // the one column with an index, if any
        QTest::newRow("htmain") << "htmain"
            << "conid INTEGER,concode TEXT,showcode TEXT,conname TEXT,jiafang TEXT,yifang TEXT,"
               "bingfang TEXT,dwmc TEXT,zhongyao TEXT,ssnd TEXT,partcode TEXT,partname TEXT,gclb TEXT,"
               "manager TEXT,kgrq TEXT,jgrq TEXT,cprq TEXT,gongqi TEXT,zlyq TEXT,cbfw TEXT,qdrq TEXT,"
               "spr TEXT,jgjgg TEXT,gsje REAL,cgsje REAL,jgsje REAL,htlb TEXT,htxm TEXT,htjk REAL,"
               "qzbg REAL,gczzj REAL,dfk REAL,yfjk REAL,syjk REAL,fpse REAL,sbdh TEXT,htjsm TEXT,"
               "yfkje REAL,yfkrq TEXT,jsje REAL,jsrq TEXT,gdbh TEXT,gdrq TEXT,gd TEXT,cbdd TEXT,cfdd TEXT"
            << "conid" << "concode";
        QTest::newRow("httext") << "httext"
            << "id INTEGER,conid INTEGER,textname TEXT,docfile BLOB,rtffile BLOB" << "id" << "conid";
        QTest::newRow("htfk") << "htfk"
            << "fkid INTEGER,conid INTEGER,fkname TEXT,fkje REAL,fpje REAL,fkrq TEXT,sbdh TEXT,fph TEXT,other TEXT"
            << "fkid" << "conid";
        QTest::newRow("htsp") << "htsp"
            << "spid INTEGER,conid INTEGER,spname TEXT,spje REAL,fpje REAL,fkrq TEXT,sbdh TEXT,fph TEXT,other TEXT"
            << "spid" << "conid";
        QTest::newRow("htyj") << "htyj"
            << "htyjid INTEGER,conid INTEGER,htyjname TEXT,htyjsm TEXT,picfilename TEXT,htyjpic BLOB"
            << "htyjid" << "conid";
        QTest::newRow("htqtyj") << "htqtyj"
            << "qtyjid INTEGER,conid INTEGER,qtyjname TEXT,qtyjsm TEXT,picfilename TEXT,qtyjpic BLOB"
            << "qtyjid" << "conid";
        QTest::newRow("infoset") << "infoset" << "id INTEGER,infosty TEXT,infotext TEXT" << "id" << "";
        QTest::newRow("ghdwinfo") << "ghdwinfo"
            << "id INTEGER,dwmc TEXT,dwdz TEXT,dwxz TEXT,lxr TEXT,dh TEXT,cz TEXT,yb TEXT,jsyh TEXT,"
               "zh TEXT,zzsh TEXT,sdq TEXT"
            << "id" << "";
    }
    void templateHoldsTheTablesEmpty() {
        QFETCH(QString, table);
        QFETCH(QString, columns);
        QFETCH(QString, key);
        QFETCH(QString, indexed);
        const QString tpl = ContractFileFixture::templatePath();
        QCOMPARE(column(tpl, "select name||' '||type from pragma_table_info('" + table + "')").join(','), columns);
        // The key is the row id itself: scans come back in key order and max() is numeric.
        QCOMPARE(column(tpl, "select name from pragma_table_info('" + table + "') where pk"), QStringList{key});
        QCOMPARE(column(tpl, "select count(*) from pragma_index_list('" + table + "') where origin='pk'"),
                 QStringList{"0"});
        QCOMPARE(column(tpl, "select i.name from pragma_index_list('" + table + "') l,"
                             " pragma_index_info(l.name) i").join(','),
                 indexed);
        QCOMPARE(column(tpl, "select count(*) from " + table), QStringList{"0"});
    }

    void templateIsOnePlainFile() {
        const QString tpl = ContractFileFixture::templatePath();
        QCOMPARE(column(tpl, "select count(*) from sqlite_master where type='table'"), QStringList{"8"});
        // Rollback journal, not write-ahead log: a contract file is always one file that
        // can be copied, mailed or backed up on its own.
        const QByteArray header = fileBytes(tpl).left(100);
        QCOMPARE(int(header[18]), 1);
        QCOMPARE(int(header[19]), 1);
        QCOMPARE(column(tpl, "pragma journal_mode"), QStringList{"delete"});
    }

    // ------------------------------------------------------------------ refused files

    void refusedFilesStayAsTheyWere_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("cut inside the header") << "header" << "合同文件不完整";
        QTest::newRow("first page overwritten") << "corrupt" << "合同文件已损坏";
        QTest::newRow("database without any table") << "bare" << "其中没有合同数据表";
        QTest::newRow("one table missing") << "oneMissing" << "合同文件缺少数据表：ghdwinfo";
    }
    void refusedFilesStayAsTheyWere() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = files->path("合同 文件.pzq");
        if (kind == "header") {
            writeBytes(path, fileBytes(files->newContractFile("whole.pzq")).left(60));
        } else if (kind == "corrupt") {
            QByteArray bytes = fileBytes(files->newContractFile("whole.pzq"));
            for (int i = 100; i < 4096; ++i) bytes[i] = char(0xA5);
            writeBytes(path, bytes);
        } else if (kind == "bare") {
            sqlite3* db = nullptr;
            sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
            sqlite3_exec(db, "pragma user_version=7", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        } else if (kind == "oneMissing") {
            QFile::copy(files->newContractFile("whole.pzq"), path);
            ContractFileFixture::execute(path, {"drop table ghdwinfo"});
        }
        const QByteArray before = fileBytes(path);
        QVERIFY(!before.isEmpty());
        const QStringList folder = QDir(files->path({})).entryList(QDir::Files);

        const QString error = openingError(path);
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QDir(files->path({})).entryList(QDir::Files), folder);  // no journal left beside it
    }

    // ------------------------------------------------------------------ good files

    void readingAFileLeavesItUnchanged() {
        const QString path = files->path("合同 文件.pzq");
        QFile::copy(files->newContractFile("whole.pzq"), path);
        ContractFileFixture::execute(path, {"insert into htmain (conid,concode,conname) values (1,'0001','甲')",
                                            "insert into ghdwinfo (id,dwmc,sdq) values (1,'张三','北京')"});
        const QByteArray before = fileBytes(path);
        {
            ContractQuery query;
            query.setContractFile(path);
            query.RunQuery(QStringLiteral("select * from htmain order by concode asc"));
            QCOMPARE(query.text("conname"), QStringLiteral("甲"));
            query.RunQuery(QStringLiteral("select * from ghdwinfo order by sdq asc,dwmc asc"));
            QVERIFY(!query.eof());
        }
        QCOMPARE(fileBytes(path), before);
    }

    void anOlderFileGainsTheStorageColumnAndKeepsItsRows() {
        const QString path = files->newContractFile("older.pzq");
        ContractFileFixture::execute(path, {"insert into htmain (conid,concode,conname) values (1,'0001','甲')",
                                            "alter table htmain drop column cfdd"});
        QVERIFY(!column(path, "select name from pragma_table_info('htmain')").contains("cfdd"));
        {
            ContractQuery query;
            query.setContractFile(path);
            query.RunQuery(QStringLiteral("select * from htmain where conid=1"));
            QCOMPARE(query.text("conname"), QStringLiteral("甲"));
            QCOMPARE(query.text("cfdd"), QString());
        }
        QCOMPARE(column(path, "select name from pragma_table_info('htmain')").last(), QStringLiteral("cfdd"));
        QCOMPARE(column(path, "select conname from htmain"), QStringList{"甲"});
    }

    void chineseColumnsSortByPinyin() {
        const QString path = files->newContractFile();
        ContractFileFixture::execute(path, {"insert into ghdwinfo (id,dwmc,sdq) values (1,'张三','上海')",
                                            "insert into ghdwinfo (id,dwmc,sdq) values (2,'王五','北京')",
                                            "insert into ghdwinfo (id,dwmc,sdq) values (3,'阿里','上海')",
                                            "insert into ghdwinfo (id,dwmc,sdq) values (4,'李四','广东')"});
        ContractQuery query;
        query.setContractFile(path);
        const auto names = [&query](const QString& sql) {
            QStringList seen;
            for (query.RunQuery(sql); !query.eof(); query.next()) seen << query.text("dwmc");
            return seen;
        };
        QCOMPARE(names("select * from ghdwinfo order by dwmc asc"), (QStringList{"阿里", "李四", "王五", "张三"}));
        // 北京 (bei) < 广东 (guang) < 上海 (shang); by name within a region.
        QCOMPARE(names("select * from ghdwinfo order by sdq asc,dwmc asc"),
                 (QStringList{"王五", "李四", "阿里", "张三"}));
    }
};

QTEST_GUILESS_MAIN(ContractFileTest)
#include "tst_contractfile.moc"
