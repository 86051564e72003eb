// Whole files in and out of binary columns, and the scratch folder they are taken out to.
// Every case runs on a contract file and on a server.
#include <sqlite3.h>

#include <QtTest>

#include "AppError.h"
#include "BlobTransfer.h"
#include "CommandGuard.h"
#include "ContractFileFixture.h"
#include "ContractQuery.h"
#include "EngineFixture.h"
#include "ErrorText.h"
#include "ScratchFolder.h"
#include "ScratchFolderCheck.h"
#include "ScriptedDesktop.h"
#include "Transaction.h"

namespace {

QByteArray patterned(qint64 size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 2166136261u ^ quint32(seed);
    for (qint64 i = 0; i < size; ++i) {
        state = state * 16777619u + 1u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

constexpr qint64 kMiB = 1 << 20;

// The largest resident memory of the process since the last reset, in bytes.
qint64 peakMemory() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

bool resetPeakMemory() {
    QFile clear("/proc/self/clear_refs");
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

}  // namespace

class BlobTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EngineFixture> data;
    ContractFileFixture* files = nullptr;
    QString file;  // the contract file, on that engine
    std::unique_ptr<ContractQuery> query;

    QString source(const QString& name, const QByteArray& bytes) {
        const QString path = files->path(name);
        writeBytes(path, bytes);
        return path;
    }
    void store(qint64 id, const QString& path, const ColumnValues& others = {}) {
        StoreFileInBlob(*query, "httext", "id", id, "docfile", path, others);
    }
    QByteArray extracted(qint64 id, const QString& column = QStringLiteral("docfile")) {
        const QString target = files->path("extracted.bin");
        ExtractBlobToFile(*query, "httext", "id", id, column, target);
        return fileBytes(target);
    }
    QString textOf(const QString& sql) {
        query->RunQuery(sql);
        const QString value = query->textAt(0);
        query->close();
        return value;
    }

    int storedPieces() {
        query->RunQuery("select count(*) as a from blobchunk");
        const int pieces = int(query->integer("a"));
        query->close();
        return pieces;
    }

private Q_SLOTS:
    void initTestCase_data() { addEngineRows(); }
    void init() {
        data = std::make_unique<EngineFixture>(currentEngine());
        files = &data->files();
        file = data->onServer() ? QString() : data->place();
        query = data->openQuery();
        query->RunCommand("insert into httext (id,conid,textname) values (1,1,'a.doc')");
        query->RunCommand("insert into htyj (htyjid,conid,htyjname) values (1,1,'扫描件')");
    }
    void cleanup() {
        query.reset();
        data.reset();
    }

    // ------------------------------------------------------------------ store and extract

    void filesComeBackByteForByte_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("column");
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty file") << "httext" << "id" << "docfile" << qint64(0);
        QTest::newRow("one byte, picture") << "htyj" << "htyjid" << "htyjpic" << qint64(1);
        QTest::newRow("one chunk, rich text") << "httext" << "id" << "rtffile" << kMiB;
        QTest::newRow("one chunk and a byte") << "httext" << "id" << "docfile" << kMiB + 1;
        QTest::newRow("several chunks") << "htyj" << "htyjid" << "htyjpic" << 5 * kMiB / 2;
    }
    void filesComeBackByteForByte() {
        QFETCH(QString, table);
        QFETCH(QString, key);
        QFETCH(QString, column);
        QFETCH(qint64, size);
        // Over a larger value stored first, so that the new one must also shorten it.
        StoreFileInBlob(*query, table, key, 1, column, source("first.bin", patterned(3 * kMiB, 1)));
        const QByteArray bytes = patterned(size, 2);
        StoreFileInBlob(*query, table, key, 1, column, source("合同 文本.bin", bytes),
                        {{key == "id" ? "textname" : "htyjname", "'O''Brien 的合同.doc'"}});

        const QString target = files->path("out.bin");
        ExtractBlobToFile(*query, table, key, 1, column, target);
        QCOMPARE(fileBytes(target).size(), bytes.size());
        QVERIFY(fileBytes(target) == bytes);
        QCOMPARE(textOf("select " + QString(key == "id" ? "textname" : "htyjname") + " from " + table),
                 QStringLiteral("O'Brien 的合同.doc"));
    }

    void anEmptyPathKeepsTheStoredBytes() {
        const QByteArray bytes = patterned(1000, 3);
        store(1, source("a.doc", bytes));
        store(1, QString(), {{"textname", "'b.doc'"}});
        QCOMPARE(textOf("select textname from httext where id=1"), QStringLiteral("b.doc"));
        QVERIFY(extracted(1) == bytes);
    }

    void aRowWithoutBytesGivesAnEmptyFile() {
        const QString target = files->path("extracted.bin");
        writeBytes(target, "left from before");
        ExtractBlobToFile(*query, "httext", "id", 1, "docfile", target);
        QVERIFY(QFileInfo::exists(target));
        QCOMPARE(fileBytes(target), QByteArray());
    }

    void aCreatedRowAndItsBytesAreOneCommand() {
        const QString path = source("new.doc", patterned(2 * kMiB, 4));
        {
            Transaction command(*query);
            query->RunCommand("insert into httext (id,conid,textname) values (2,1,'new.doc')");
            store(2, path);
        }  // not committed
        QCOMPARE(textOf("select count(*) from httext where id=2"), QStringLiteral("0"));
        {
            Transaction command(*query);
            query->RunCommand("insert into httext (id,conid,textname) values (2,1,'new.doc')");
            store(2, path);
            command.commit();
        }
        QVERIFY(extracted(2) == fileBytes(path));
    }

    void aFailedStoreLeavesTheRowAsItWas_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such row") << "row" << "要读写的记录不存在";
        QTest::newRow("no such file") << "file" << "无法读取文件";
        QTest::newRow("file shorter than it said") << "short" << "读取文件时出错";
        QTest::newRow("disk full") << "full" << "磁盘空间已满，数据未能写入";
    }
    void aFailedStoreLeavesTheRowAsItWas() {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        const QByteArray stored = patterned(300000, 5);
        store(1, source("a.doc", stored));
        qint64 id = 1;
        QString path = source("b.doc", patterned(5 * kMiB / 2, 6));
        if (failure == "row") {
            id = 2;
        } else if (failure == "file") {
            path = files->path("nowhere.doc");
        } else if (failure == "short") {
            // A kernel attribute file: its size says a page, its content is a few bytes, so
            // the read stops after the row was already changed.
            path = QStringLiteral("/sys/devices/system/cpu/online");
            if (QFileInfo(path).size() <= 16) QSKIP("no attribute file that claims more than it holds");
        } else if (failure == "full") {
            if (data->onServer()) QSKIP("the server's disk is not the test's to fill");
            query->RunQuery("pragma page_count");
            const qint64 pages = query->integerAt(0);
            query->RunCommand(QString("pragma max_page_count=%1").arg(pages + 4));
        }
        const QByteArray before = fileBytes(file);
        const int pieces = data->onServer() ? storedPieces() : 0;

        const QString error = errorOf([&] { store(id, path, {{"textname", "'b.doc'"}}); });
        QVERIFY2(error.startsWith(message), qPrintable(error));
        QCOMPARE(textOf("select textname from httext where id=1"), QStringLiteral("a.doc"));
        QCOMPARE(textOf("select count(*) from httext"), QStringLiteral("1"));
        QVERIFY(extracted(1) == stored);
        QCOMPARE(fileBytes(file), before);
        if (data->onServer()) QCOMPARE(storedPieces(), pieces);
    }

    // Other columns of a row change and its bytes stay, however large; a large value goes
    // out beside the contract file and back, and nothing of that stays behind.
    void updatingOtherColumnsKeepsTheBytes_data() {
        QTest::addColumn<qint64>("size");  // -1: no bytes stored
        QTest::addColumn<bool>("diskFull");
        QTest::newRow("no bytes") << qint64(-1) << false;
        QTest::newRow("small") << qint64(1000) << false;
        QTest::newRow("larger than may sit in memory twice") << 17 * kMiB << false;
        QTest::newRow("large, disk full") << 17 * kMiB << true;
    }
    void updatingOtherColumnsKeepsTheBytes() {
        QFETCH(qint64, size);
        QFETCH(bool, diskFull);
        const QByteArray bytes = size < 0 ? QByteArray() : patterned(size, 8);
        if (size >= 0) store(1, source("a.doc", bytes));
        if (diskFull && data->onServer()) QSKIP("the server's disk is not the test's to fill");
        if (diskFull) {
            query->RunQuery("pragma page_count");
            const qint64 pages = query->integerAt(0);
            query->RunCommand(QString("pragma max_page_count=%1").arg(pages + 4));
        }
        const QString error = errorOf([&] {
            UpdateKeepingBlob(*query, "httext", "id", 1, "docfile",
                              {{"textname", "'O''Brien.doc'"}});
        });
        QCOMPARE(error.startsWith(QStringLiteral("磁盘空间已满")), diskFull);
        QCOMPARE(textOf("select textname from httext where id=1"),
                 diskFull ? QStringLiteral("a.doc") : QStringLiteral("O'Brien.doc"));
        QCOMPARE(textOf("select typeof(docfile) from httext where id=1"),
                 size < 0 ? QStringLiteral("null") : QStringLiteral("blob"));
        query->RunQuery("select length(docfile) as size from httext where id=1");
        QCOMPARE(query->isNull("size"), size < 0);
        QCOMPARE(query->integer("size"), qMax<qint64>(size, 0));
        QVERIFY(extracted(1) == bytes);
        QCOMPARE(QDir(files->path({})).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                     .filter(".vemora-"),
                 QStringList());
        QCOMPARE(errorOf([&] { UpdateKeepingBlob(*query, "httext", "id", 9, "docfile", {{"textname", "'x'"}}); })
                     .section(QChar(0xff1a), 0, 0),
                 QStringLiteral("要读写的记录不存在"));
    }

    void aFailedExtractLeavesTheTargetAlone_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("serverMessage");
        QTest::newRow("no such row") << "row" << "要读写的记录不存在" << "要读写的记录不存在";
        // On a server the column holds the size, which then disagrees with the pieces.
        QTest::newRow("value is not bytes") << "number" << "数据库语句执行出错" << "服务器上存储的文件不完整";
        QTest::newRow("target folder missing") << "folder" << "无法写入文件" << "无法写入文件";
    }
    void aFailedExtractLeavesTheTargetAlone() {
        QFETCH(QString, failure);
        QFETCH(QString, message);
        QFETCH(QString, serverMessage);
        if (data->onServer()) message = serverMessage;
        store(1, source("a.doc", patterned(1000, 7)));
        QString target = files->path("target.doc");
        writeBytes(target, "the user's own file");
        qint64 id = 1;
        if (failure == "row") id = 2;
        if (failure == "number") query->RunCommand("update httext set docfile=42 where id=1");
        if (failure == "folder") target = files->path("missing/target.doc");

        const QString error = errorOf([&] { ExtractBlobToFile(*query, "httext", "id", id, "docfile", target); });
        QVERIFY2(error.startsWith(message), qPrintable(error));
        if (failure == "folder") QVERIFY(!QFileInfo::exists(target));
        else QCOMPARE(fileBytes(target), QByteArray("the user's own file"));
        QCOMPARE(QDir(files->path({})).entryList({"target.doc.*"}, QDir::Files), QStringList());
    }

    // A file far larger than a piece goes in and out with memory flat: a piece or two at a
    // time, never the whole file.
    void aLargeFileTravelsWithFlatMemory() {
        constexpr qint64 size = 48 * kMiB + 12345;
        const QString path = files->path("large.bin");
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            for (qint64 written = 0; written < size; written += kMiB)
                out.write(patterned(qMin(kMiB, size - written), int(written / kMiB)));
        }
        if (!resetPeakMemory()) QSKIP("this kernel cannot reset the peak memory figure");
        const qint64 before = peakMemory();
        store(1, path);
        const QString target = files->path("large.out");
        ExtractBlobToFile(*query, "httext", "id", 1, "docfile", target);
        const qint64 growth = peakMemory() - before;
        QVERIFY2(growth < size / 3, qPrintable(QString("peak grew by %1 MiB").arg(growth / kMiB)));

        QFile a(path), b(target);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(b.size(), size);
        while (!a.atEnd()) QVERIFY(a.read(kMiB) == b.read(kMiB));
    }

    // Deleting a row or emptying its column takes its stored bytes with it: a row made again
    // under the same key starts without a file, and the server keeps no pieces of it.
    void storedBytesGoWithTheirRow() {
        store(1, source("a.doc", patterned(3 * kMiB, 10)));
        StoreFilesInBlobs(*query, "httext", "id", 1, {{"rtffile", source("a.rtf", patterned(kMiB + 7, 11))}});
        query->RunCommand("update httext set rtffile=null where id=1");
        QCOMPARE(extracted(1, "rtffile"), QByteArray());
        QVERIFY(extracted(1) == patterned(3 * kMiB, 10));
        if (data->onServer()) QCOMPARE(storedPieces(), 3);

        query->RunCommand("delete from httext where id=1");
        query->RunCommand("insert into httext (id,conid,textname) values (1,1,'again.doc')");
        QCOMPARE(extracted(1), QByteArray());
        if (data->onServer()) QCOMPARE(storedPieces(), 0);
    }

    // ------------------------------------------------------------------ the scratch folder

    void storedNamesBecomeBareFileNames_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("bare");
        QTest::newRow("plain") << "合同.doc" << "合同.doc";
        QTest::newRow("forward slashes") << "文件/2026/合同.doc" << "合同.doc";
        QTest::newRow("backslashes with drive") << "C:\\文件\\合同.doc" << "合同.doc";
        QTest::newRow("both kinds") << "a\\b/c\\合同.doc" << "合同.doc";
        QTest::newRow("network share") << "\\\\server\\share\\合同.doc" << "合同.doc";
        QTest::newRow("drive without folder") << "C:合同.doc" << "C合同.doc";
        QTest::newRow("parent folder") << ".." << "未命名";
        QTest::newRow("climbing out") << "../../etc/passwd" << "passwd";
        QTest::newRow("climbing out, backslashes") << "..\\..\\合同.doc" << "合同.doc";
        QTest::newRow("absolute") << "/etc/passwd" << "passwd";
        QTest::newRow("folder only") << "文件/" << "未命名";
        QTest::newRow("hidden file") << ".bashrc" << "bashrc";
        QTest::newRow("dots inside stay") << "合同..v2.doc" << "合同..v2.doc";
        QTest::newRow("control characters") << QString::fromUtf8("合\n同\t\x01\x7f.doc") << "合同.doc";
        QTest::newRow("nul character") << QString::fromUtf8("合\0同.doc", 11) << "合同.doc";
        QTest::newRow("right-to-left override") << QStringLiteral("\u202Egnp.exe") << "gnp.exe";
        QTest::newRow("every embedding, override and isolate")
            << QStringLiteral("\u202A合\u202B同\u202C\u202D.\u2066d\u2067o\u2068c\u2069")
            << "合同.doc";
        QTest::newRow("blanks around") << "  合同.doc  " << "合同.doc";
        QTest::newRow("only blanks") << "   " << "未命名";
        QTest::newRow("empty") << "" << "未命名";
    }
    void storedNamesBecomeBareFileNames() {
        QFETCH(QString, stored);
        QFETCH(QString, bare);
        QCOMPARE(ScratchFolder::bareFileName(stored), bare);
    }

    void preparedFilesStayInTheScratchFolder_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("parent") << "../victim.doc";
        QTest::newRow("grandparent, backslashes") << "..\\..\\victim.doc";
        QTest::newRow("absolute") << "(user folder)/victim.doc";
        QTest::newRow("through the folder itself") << "temp/../../victim.doc";
    }
    void preparedFilesStayInTheScratchFolder() {
        QFETCH(QString, stored);
        stored.replace("(user folder)", files->path({}));
        // Files of the same name outside the folder, which a stray path would delete.
        writeBytes(files->programFolder() + "/victim.doc", "program folder");
        writeBytes(files->path("victim.doc"), "user folder");
        const ScratchFolder scratch(files->programFolder());
        const QString folder = scratch.path();
        QCOMPARE(folder, QDir(files->programFolder()).filePath("temp"));
        writeBytes(folder + "/victim.doc", "old scratch copy");

        const QString target = scratch.prepareFile(stored);
        QCOMPARE(QFileInfo(target).absolutePath(), QFileInfo(folder).absoluteFilePath());
        QVERIFY(!QFileInfo::exists(target));  // the old scratch copy is gone
        QCOMPARE(fileBytes(files->programFolder() + "/victim.doc"), QByteArray("program folder"));
        QCOMPARE(fileBytes(files->path("victim.doc")), QByteArray("user folder"));
    }

    void aLinkInTheScratchFolderIsReplacedNotFollowed() {
        const ScratchFolder scratch(files->programFolder());
        const QString outside = files->path("outside.doc");
        QVERIFY(QFile::link(outside, scratch.path() + "/合同.doc"));  // points nowhere yet
        store(1, source("a.doc", patterned(1000, 8)));

        const QString target = scratch.prepareFile("合同.doc");
        ExtractBlobToFile(*query, "httext", "id", 1, "docfile", target);
        QVERIFY(!QFileInfo::exists(outside));
        QVERIFY(!QFileInfo(target).isSymLink());
        QCOMPARE(fileBytes(target).size(), 1000);
    }

    void aLongStoredNameStillGivesAFile() {
        const QString stored = QString(150, QChar(0x5408)) + ".doc";  // 454 bytes in UTF-8
        store(1, source("a.doc", patterned(1000, 9)));
        const ScratchFolder scratch(files->programFolder());
        const QString target = scratch.prepareFile(stored);
        QVERIFY2(QFileInfo(target).fileName().endsWith(".doc"), qPrintable(target));
        QVERIFY(QFileInfo(target).fileName().startsWith(QString(20, QChar(0x5408))));
        ExtractBlobToFile(*query, "httext", "id", 1, "docfile", target);
        QCOMPARE(fileBytes(target).size(), 1000);
    }

    void aScratchFileThatCannotGoIsReportedPromptly() {
        const ScratchFolder scratch(files->programFolder());
        QDir(scratch.path()).mkpath("合同.doc/inside");  // a folder where the file should be
        QElapsedTimer clock;
        clock.start();
        const QString error = errorOf([&] { scratch.prepareFile("合同.doc"); });
        QVERIFY2(error.startsWith(QStringLiteral("临时文件正在使用，无法替换")), qPrintable(error));
        QVERIFY(clock.elapsed() < 5000);
    }

    void anUnwritableProgramFolderFallsBackToTheCache() {
        QStandardPaths::setTestModeEnabled(true);
        const QString notAFolder = files->path("program.bin");
        writeBytes(notAFolder, "x");  // the program folder cannot hold a temp/ folder
        const QString folder = ScratchFolder(notAFolder).path();
        QVERIFY2(folder.startsWith(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)),
                 qPrintable(folder));
        QVERIFY(QFileInfo(folder).isDir());
        QStandardPaths::setTestModeEnabled(false);
    }

    void aFolderThatCannotBeMadeIsToldOnceAndStopsTheCommand() {
        const QString notAFolder = files->path("program.bin");
        writeBytes(notAFolder, "x");
        const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", notAFolder.toUtf8());  // the cache cannot hold it either
        ScriptedDesktop desktop;
        const CommandGuard guard(desktop, nullptr);
        bool wentOn = false;
        guard.run([&] {
            ensureScratchFolder(ScratchFolder(notAFolder), desktop, nullptr);
            wentOn = true;
        });
        qputenv("XDG_CACHE_HOME", oldCache);
        QVERIFY(!wentOn);
        QCOMPARE(desktop.messages.size(), 1);  // the guard adds no second box
        QCOMPARE(desktop.lastMessage().text, QStringLiteral("新建文件夹出错"));
        QCOMPARE(desktop.lastMessage().title, QStringLiteral("错误"));
        QCOMPARE(desktop.lastMessage().icon, MessageIcon::Error);
    }
};

QTEST_GUILESS_MAIN(BlobTest)
#include "tst_blobs.moc"
