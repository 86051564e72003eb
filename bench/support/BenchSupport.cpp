#include "BenchSupport.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ContractCode.h"
#include "ContractTree.h"
#include "NodeWalk.h"
#include "Tmainf.h"

namespace bench {

void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "%s: %s %s\n", program_invocation_short_name, what, qPrintable(detail));
    std::exit(1);
}

QTemporaryDir& workFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QLatin1Char('/') +
                                QString::fromLocal8Bit(program_invocation_short_name) +
                                QStringLiteral("-XXXXXX"));
    return folder;
}

QString workPath(const QString& name) { return workFolder().filePath(name); }

void copyTemplate(const QString& templatePath, const QString& path) {
    if (!QFile::copy(templatePath, path)) fail("cannot copy the template to", path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

sqlite3* openRaw(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        fail("cannot open", path);
    return db;
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("statement failed:", sqlite3_errmsg(db));
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
        fail("cannot prepare:", sqlite3_errmsg(db));
    return statement;
}

void step(sqlite3* db, sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) fail("insert failed:", sqlite3_errmsg(db));
    sqlite3_reset(statement);
}

void bindText(sqlite3_stmt* statement, int index, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

MessageAnswer SilentDesktop::showMessage(QWidget*, const MessageRequest& request) {
    if (confirming && request.buttons != MessageButtons::Ok) return MessageAnswer::Yes;
    ++messages;
    if (strict_) fail("a message was shown:", request.text);
    return MessageAnswer::No;
}

namespace {

// A line of /proc/self/status, in KiB.
double statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble();
    return 0;
}

}  // namespace

PeakMemory::PeakMemory() {
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly)) reset.write("5");
    startKiB_ = statusKiB("VmRSS:");
}

namespace {

QString twoLevelCode(int index) {
    const QString parent = FormatCodeSegment(index / 100 + 2);
    return index % 100 == 0 ? parent : parent + FormatCodeSegment(index % 100 + 1);
}

}  // namespace

void makeContractsWithLedgers(const QString& templatePath, const QString& path, int contracts,
                              int recordsPerLedger) {
    copyTemplate(templatePath, path);
    sqlite3* db = openRaw(path);
    exec(db, "pragma journal_mode=off");
    exec(db, "pragma synchronous=off");
    exec(db, "begin");

    sqlite3_stmt* contract = prepare(
        db,
        "insert into htmain (conid,concode,conname,jiafang,yifang,kgrq,jgrq,cprq,qdrq,yfkrq,"
        "jsrq,gdrq,htjk,yfjk,syjk) values (?,?,?,'甲方建设集团有限公司','乙方工程有限公司',"
        "'2026-03-15','2026-03-15','2026-03-15','2026-03-15','2026-03-15','2026-03-15',"
        "'2026-03-15',1500000,500000,1000000)");
    for (int i = 0; i < contracts; ++i) {
        sqlite3_bind_int(contract, 1, i + 1);
        bindText(contract, 2, twoLevelCode(i));
        bindText(contract, 3, QStringLiteral("合同%1 施工总承包").arg(i + 1));
        step(db, contract);
    }
    sqlite3_finalize(contract);

    for (const char* sql :
         {"insert into htfk (fkid,conid,fkname,fkje,fpje,fkrq,sbdh,fph,other) "
          "values (?,?,?,?,?,'2026-03-15','SB-2026-0315','FP-00012345','第一行\r\n第二行')",
          "insert into htsp (spid,conid,spname,spje,fpje,fkrq,sbdh,fph,other) "
          "values (?,?,?,?,?,'2026-03-15','SB-2026-0315','FP-00012345','第一行\r\n第二行')"}) {
        sqlite3_stmt* record = prepare(db, sql);
        qint64 id = 0;
        for (int round = 0; round < recordsPerLedger; ++round) {
            for (int i = 0; i < contracts; ++i) {
                sqlite3_bind_int64(record, 1, ++id);
                sqlite3_bind_int(record, 2, i + 1);
                bindText(record, 3, QStringLiteral("第%1期进度款").arg(round + 1));
                sqlite3_bind_double(record, 4, 100000.1 * (round + 1));
                sqlite3_bind_double(record, 5, 0.2 * (round + 1));
                step(db, record);
            }
        }
        sqlite3_finalize(record);
    }
    exec(db, "commit");
    sqlite3_close(db);
}

void selectContractsInTurn(benchmark::State& state, Tmainf& window, int contracts) {
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);
    std::vector<QTreeWidgetItem*> nodes;
    visitNodesBelow(window.tree().view()->invisibleRootItem(),
                    [&nodes](QTreeWidgetItem* item) { nodes.push_back(item); });
    if (int(nodes.size()) != contracts) fail("the tree did not take every contract");
    std::vector<QTreeWidgetItem*> chosen;
    for (size_t i = 0; i < 64; ++i) chosen.push_back(nodes[(i * 7919 + 13) % nodes.size()]);
    for (QTreeWidgetItem* node : chosen) window.tree().view()->setCurrentItem(node);
    QCoreApplication::processEvents();

    size_t next = 0;
    for (auto _ : state) {
        window.tree().view()->setCurrentItem(chosen[next]);
        next = (next + 1) % chosen.size();
        QCoreApplication::processEvents();
    }
}

double residentMiB() { return statusKiB("VmRSS:") / 1024; }

double PeakMemory::peakMiB() const { return statusKiB("VmHWM:") / 1024; }
double PeakMemory::risenMiB() const { return (statusKiB("VmHWM:") - startKiB_) / 1024; }

int runBenchmarks(int argc, char** argv, QtKind kind) {
    if (kind != QtKind::Core && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    switch (kind) {
    case QtKind::Core: app = std::make_unique<QCoreApplication>(argc, argv); break;
    case QtKind::Gui: app = std::make_unique<QGuiApplication>(argc, argv); break;
    case QtKind::Widgets: app = std::make_unique<QApplication>(argc, argv); break;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
