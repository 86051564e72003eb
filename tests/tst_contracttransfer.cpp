// Copying a whole contract between a contract file and a server: a round trip gives back
// every row and every stored byte, an upload never lands in a database that holds our
// tables, and one that is cancelled, fails or loses its connection half way leaves the
// database empty; a download that does not finish leaves no file.
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest>
#include <csignal>

#include "AppError.h"
#include "ChineseCollation.h"
#include "ContractDownload.h"
#include "ContractFileFixture.h"
#include "ContractSchema.h"
#include "ContractUpload.h"
#include "ServerConnection.h"
#include "ServerSchema.h"
#include "ThrowawayServer.h"

namespace {

// The file, opened for the test's own reading and writing.
class RawFile {
  public:
    explicit RawFile(const QString& path) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            qFatal("cannot open %s", qPrintable(path));
        registerChineseCollation(db_);
    }
    ~RawFile() { sqlite3_close_v2(db_); }
    sqlite3* db() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
};

// Every row of a table in key order, each value with its kind; stored bytes by size and hash.
QStringList tableDump(sqlite3* db, const QString& table) {
    sqlite3_stmt* rows = nullptr;
    const QByteArray sql = "select * from " + table.toUtf8() + " order by 1";
    sqlite3_prepare_v2(db, sql.constData(), -1, &rows, nullptr);
    QStringList dump;
    while (sqlite3_step(rows) == SQLITE_ROW) {
        QStringList values;
        for (int column = 0; column < sqlite3_column_count(rows); ++column) {
            switch (sqlite3_column_type(rows, column)) {
                case SQLITE_NULL:
                    values << QStringLiteral("null");
                    break;
                case SQLITE_INTEGER:
                    values << QStringLiteral("int:") +
                                  QString::number(sqlite3_column_int64(rows, column));
                    break;
                case SQLITE_FLOAT:
                    values << QStringLiteral("real:") +
                                  QString::number(sqlite3_column_double(rows, column), 'g', 17);
                    break;
                case SQLITE_TEXT:
                    values << QStringLiteral("text:") +
                                  QString::fromUtf8(reinterpret_cast<const char*>(
                                                        sqlite3_column_text(rows, column)),
                                                    sqlite3_column_bytes(rows, column));
                    break;
                default: {
                    const QByteArray bytes(
                        static_cast<const char*>(sqlite3_column_blob(rows, column)),
                        sqlite3_column_bytes(rows, column));
                    values << QStringLiteral("blob:%1:").arg(bytes.size()) +
                                  QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
                }
            }
        }
        dump << values.join(QLatin1Char('|'));
    }
    sqlite3_finalize(rows);
    return dump;
}

qint64 serverCount(const QString& database, const QString& sql) {
    ServerConnection connection(ThrowawayServer::instance().connectionString(database));
    PgResult result = connection.execute(sql);
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
}

// Relations, functions and collations the database holds of its own (an empty one: none).
qint64 ownObjects(const QString& database) {
    return serverCount(
        database,
        "select (select count(*) from pg_class where relnamespace = 'public'::regnamespace)"
        " + (select count(*) from pg_proc where pronamespace = 'public'::regnamespace)"
        " + (select count(*) from pg_collation where collnamespace = 'public'::regnamespace)");
}

}  // namespace

class ContractTransferTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ContractFileFixture> files;
    QString source;
    QString database;

    QString connectionString() const {
        return ThrowawayServer::instance().connectionString(database);
    }

    // A contract file holding every table, the values that differ between the engines, and
    // stored files around the size of a piece: none, empty, one byte, a piece, a piece and
    // a byte, several pieces. Enough rows that every table travels in more than one batch.
    void fillSource() {
        QStringList statements = {"begin"};
        for (int i = 1; i <= 700; ++i)
            statements
                << QStringLiteral(
                       "insert into htmain (conid, concode, showcode, conname, dwmc, gsje, htjk, "
                       "yfjk, kgrq, zhongyao, cfdd) values (%1, '%2', 'HT-%1', '合同%1', '单位%3', "
                       "%4, %5, null, '2026-03-15', 'true', '')")
                       .arg(i)
                       .arg(i, 4, 10, QLatin1Char('0'))
                       .arg(i % 7)
                       .arg(i * 0.1 + 0.2, 0, 'g', 17)
                       .arg(i % 3 ? QStringLiteral("1e20") : QStringLiteral("100"));
        statements
            << "insert into htmain (conid, concode, conname, jgjgg, gczzj) values "
               "(701, '00010001', '带''引号''和\\反斜杠', '第一行\r\n第二行', 0.30000000000000004)"
            << "insert into htmain (conid) values (702)";
        for (int i = 1; i <= 1200; ++i)
            statements << QStringLiteral(
                              "insert into htfk (fkid, conid, fkname, fkje, fpje, fkrq) values "
                              "(%1, %2, '付款%1', %3, %4, '2026-01-%5')")
                              .arg(i)
                              .arg(i % 700 + 1)
                              .arg(i * 1234.56, 0, 'g', 17)
                              .arg(-i / 3.0, 0, 'g', 17)
                              .arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
        statements
            << "insert into htsp (spid, conid, spname, spje) values (1, 1, '索赔', 12.5), (9, 2, "
               "null, null)"
            << "insert into httext (id, conid, textname, docfile, rtffile) values "
               "(1, 1, '合同正文', randomblob(3145728 + 17), randomblob(1)), (2, 1, '无文件', "
               "null, null), "
               "(3, 2, '空文件', zeroblob(0), x'00ff00')"
            << "insert into htyj (htyjid, conid, htyjname, htyjsm, picfilename, htyjpic) values "
               "(1, 1, '原件', '说明', 'a.jpg', randomblob(1048576)), (2, 1, '原件二', '', "
               "'b.jpg', "
               "randomblob(1048577)), (5, 3, '无图', null, null, null)"
            << "insert into htqtyj (qtyjid, conid, qtyjname, picfilename, qtyjpic) values "
               "(1, 1, '其他', 'c.png', randomblob(5000))"
            << "insert into infoset (id, infosty, infotext) values (1, 'htlb', '施工'), (2, "
               "'htlb', '监理'), "
               "(3, 'bmlb', '工程部')"
            << "insert into ghdwinfo (id, dwmc, sdq, dh) values (1, '张三公司', '上海', "
               "'021-1234'), "
               "(2, '阿里', '北京', null)"
            << "commit";
        ContractFileFixture::execute(source, statements);
    }

  private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(ThrowawayServer::instance().problem().isEmpty(),
                 qPrintable(ThrowawayServer::instance().problem()));
    }
    void init() {
        files = std::make_unique<ContractFileFixture>();
        source = files->newContractFile(QStringLiteral("source.pzq"));
        fillSource();
        database = ThrowawayServer::instance().newDatabase();
    }
    void cleanup() {
        ThrowawayServer::instance().dropDatabase(database);
        files.reset();
    }

    void roundTripGivesBackEveryRowAndByte() {
        qint64 lastDone = -1, lastTotal = 0;
        bool forward = true;
        const TransferProgress watch = [&](qint64 done, qint64 total) {
            forward = forward && done >= lastDone;
            lastDone = done;
            lastTotal = total;
            return true;
        };
        {
            RawFile file(source);
            ServerConnection target(connectionString());
            uploadContractFile(file.db(), target, watch);
        }
        QVERIFY(forward);
        QCOMPARE(lastDone, lastTotal);
        QCOMPARE(serverCount(database, "select count(*) from htfk"), 1200);

        const QString target = files->path(QStringLiteral("back.pzq"));
        lastDone = -1;
        {
            ServerConnection connection(connectionString());
            const QString fresh = downloadContractFile(
                connection, ContractFileFixture::templatePath(), target, watch);
            QCOMPARE(QFileInfo(fresh).absolutePath(), QFileInfo(target).absolutePath());
            QVERIFY(QFile::rename(fresh, target));
        }
        QVERIFY(forward);
        QCOMPARE(lastDone, lastTotal);

        RawFile original(source);
        RawFile back(target);
        for (const QString& table : contractTables()) {
            const QStringList expected = tableDump(original.db(), table);
            QVERIFY2(!expected.isEmpty(), qPrintable(table));
            QCOMPARE(tableDump(back.db(), table), expected);
        }
    }

    void refusesADatabaseHoldingOurTables_data() {
        QTest::addColumn<bool>("withRows");
        QTest::newRow("tables only") << false;
        QTest::newRow("tables and rows") << true;
    }
    void refusesADatabaseHoldingOurTables() {
        QFETCH(bool, withRows);
        {
            ServerConnection connection(connectionString());
            createServerSchema(connection);
            if (withRows)
                connection.execute("insert into htmain (conid, conname) values (9, '已有')");
        }
        const qint64 objectsBefore = ownObjects(database);
        try {
            RawFile file(source);
            ServerConnection target(connectionString());
            uploadContractFile(file.db(), target);
            QFAIL("uploaded into a database holding our tables");
        } catch (const AppError& error) {
            QVERIFY2(error.text().contains(QStringLiteral("不是空的")), qPrintable(error.text()));
        }
        QCOMPARE(ownObjects(database), objectsBefore);
        QCOMPARE(serverCount(database, "select count(*) from htmain"), withRows ? 1 : 0);
        QCOMPARE(serverCount(database, "select count(*) from blobchunk"), 0);
    }

    // However the upload ends early, the database is as empty as before, and a second
    // upload into it succeeds.
    void unfinishedUploadLeavesTheDatabaseEmpty_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("cancelled half way") << "cancel";
        QTest::newRow("a value the server refuses, in the last table") << "bad text";
        QTest::newRow("connection cut half way") << "cut";
        QTest::newRow("program killed half way") << "kill";
    }
    void unfinishedUploadLeavesTheDatabaseEmpty() {
        QFETCH(QString, fault);
        if (fault == "bad text")  // bytes that are not UTF-8, as an old file may hold
            ContractFileFixture::execute(
                source, {"insert into ghdwinfo (id, dwmc) values (3, cast(x'b9abcbbe' as text))"});
        if (fault == "kill") {
            // A process of its own that uploads and dies half way, its transaction open.
            const pid_t child = fork();
            if (child == 0) {
                RawFile file(source);
                ServerConnection target(connectionString());
                uploadContractFile(file.db(), target, [](qint64 done, qint64 total) {
                    if (done >= total / 2) raise(SIGKILL);
                    return true;
                });
                _exit(0);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        } else {
            RawFile file(source);
            ServerConnection target(connectionString());
            const TransferProgress stopHalfWay = [&](qint64 done, qint64 total) {
                if (done < total / 2) return true;
                if (fault == "cancel") return false;
                if (fault == "cut") shutdown(PQsocket(target.handle()), SHUT_RDWR);
                return true;
            };
            try {
                uploadContractFile(file.db(), target, stopHalfWay);
                QFAIL("the upload did not fail");
            } catch (const TransferCancelled&) {
                QCOMPARE(fault, QStringLiteral("cancel"));
            } catch (const AppError& error) {
                QVERIFY2(fault != "cancel", qPrintable(error.text()));
            }
        }
        QCOMPARE(ownObjects(database), 0);

        if (fault == "bad text")
            ContractFileFixture::execute(source, {"delete from ghdwinfo where id = 3"});
        RawFile file(source);
        ServerConnection target(connectionString());
        uploadContractFile(file.db(), target);
        QCOMPARE(serverCount(database, "select count(*) from htmain"), 702);
    }

    void unfinishedDownloadLeavesNoFile_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("cancelled half way") << "cancel";
        QTest::newRow("a stored file missing a piece") << "missing piece";
    }
    void unfinishedDownloadLeavesNoFile() {
        QFETCH(QString, fault);
        {
            RawFile file(source);
            ServerConnection target(connectionString());
            uploadContractFile(file.db(), target);
            if (fault == "missing piece")
                target.execute(
                    "delete from blobchunk where owner_table = 'htyj' and owner_id = 2 and seq = "
                    "1");
        }
        const QString target = files->path(QStringLiteral("kept.pzq"));
        writeKept(target);
        const QStringList before = QDir(files->path(QString())).entryList(QDir::Files);
        ServerConnection connection(connectionString());
        try {
            downloadContractFile(
                connection, ContractFileFixture::templatePath(), target,
                [&](qint64 done, qint64 total) { return fault != "cancel" || done < total / 2; });
            QFAIL("the download did not fail");
        } catch (const TransferCancelled&) {
            QCOMPARE(fault, QStringLiteral("cancel"));
        } catch (const AppError& error) {
            QVERIFY2(error.text().contains(QStringLiteral("不完整")), qPrintable(error.text()));
        }
        QCOMPARE(QDir(files->path(QString())).entryList(QDir::Files), before);
        QCOMPARE(fileBytes(target), QByteArray("kept"));
        QVERIFY(!connection.inTransaction());
    }

  private:
    static void writeKept(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }
};

QTEST_MAIN(ContractTransferTest)
#include "tst_contracttransfer.moc"
