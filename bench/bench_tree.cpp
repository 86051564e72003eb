// Opening the contract tree against the bare read it rests on.
//
// BM_LoadContractTree rebuilds the whole tree widget (records, order, nodes, layout and
// first paint, offscreen) from a generated contract file; BM_RawScan steps the same
// "select * from htmain order by concode asc" through the sqlite3 C API and reads the
// three columns the tree needs, nothing else. The files hold a tree four levels deep,
// its rows stored in shuffled order, made once per size in a fresh folder under $TMPDIR
// (or /tmp). Argument: the number of contracts.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "CommandGuard.h"
#include "ContractCode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "Desktop.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

// Codes of a tree four levels deep: b top-level contracts, b below each, b below each of
// those, and the rest spread evenly over the third level, with b the fourth root of n.
QStringList treeCodes(int count) {
    const int b = std::max(2, int(std::lround(std::pow(double(count), 0.25))));
    QStringList codes;
    QStringList level{QString()};
    for (int depth = 1; depth <= 3; ++depth) {
        QStringList next;
        for (const QString& parent : level)
            for (int n = 2; n < 2 + b && codes.size() < count; ++n)
                next << parent + FormatCodeSegment(n);
        codes += next;
        level = next;
    }
    for (int i = 0; codes.size() < count; ++i)
        codes << level[i % level.size()] + FormatCodeSegment(2 + i / level.size());
    return codes;
}

QString contractFile(int count) {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench_tree-XXXXXX"));
    static QMap<int, QString> made;
    if (made.contains(count)) return made.value(count);
    const QString path = folder.filePath(QStringLiteral("tree-%1.pzq").arg(count));
    copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), path);

    QStringList codes = treeCodes(count);
    std::shuffle(codes.begin(), codes.end(), std::mt19937(20260315));

    sqlite3* db = openRaw(path);
    exec(db, "begin");
    sqlite3_stmt* insert = prepare(
        db,
        "insert into htmain "
        "(conid,concode,conname,jiafang,yifang,kgrq,jgrq,cprq,qdrq,yfkrq,jsrq,gdrq,"
        "htjk,yfjk,syjk) values (?,?,?,'甲方建设集团有限公司','乙方工程有限公司','2026-03-15',"
        "'2026-03-15','2026-03-15','2026-03-15','2026-03-15','2026-03-15','2026-03-15',1500000,"
        "500000,1000000)");
    for (int i = 0; i < codes.size(); ++i) {
        sqlite3_bind_int(insert, 1, i + 1);
        bindText(insert, 2, codes[i]);
        bindText(insert, 3, QStringLiteral("合同%1 施工总承包").arg(i + 1));
        step(db, insert);
    }
    sqlite3_finalize(insert);
    exec(db, "commit");
    sqlite3_close(db);
    made.insert(count, path);
    return path;
}

void BM_RawScan(benchmark::State& state) {
    const QString path = contractFile(int(state.range(0)));
    sqlite3* db = openRaw(path);
    int rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* scan = nullptr;
        sqlite3_prepare_v2(db, "select * from htmain order by concode asc", -1, &scan, nullptr);
        int id = -1, code = -1, name = -1;
        for (int i = 0; i < sqlite3_column_count(scan); ++i) {
            const QByteArray column(sqlite3_column_name(scan, i));
            if (column == "conid") id = i;
            if (column == "concode") code = i;
            if (column == "conname") name = i;
        }
        rows = 0;
        while (sqlite3_step(scan) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int64(scan, id));
            benchmark::DoNotOptimize(sqlite3_column_text(scan, code));
            benchmark::DoNotOptimize(sqlite3_column_bytes(scan, code));
            benchmark::DoNotOptimize(sqlite3_column_text(scan, name));
            benchmark::DoNotOptimize(sqlite3_column_bytes(scan, name));
            ++rows;
        }
        sqlite3_finalize(scan);
    }
    sqlite3_close(db);
    if (rows != state.range(0)) fail("the scan did not see every row");
    state.counters["rows"] = rows;
}

void BM_LoadContractTree(benchmark::State& state) {
    const QString path = contractFile(int(state.range(0)));
    SilentDesktop desktop;
    QWidget host;
    host.resize(300, 800);
    CommandGuard guard(desktop, &host);
    ContractQuery query;
    query.setContractFile(path);
    ContractTree tree(query, desktop, guard, &host);
    tree.view()->resize(300, 800);
    host.show();
    for (auto _ : state) {
        tree.LoadContractTree();
        QCoreApplication::processEvents();  // the view's layout and its first paint
    }
    if (tree.NodeList().size() != size_t(state.range(0))) fail("the tree did not take every row");
    state.counters["rows"] = double(tree.NodeList().size());
}

}  // namespace

BENCHMARK(BM_RawScan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadContractTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Widgets); }
