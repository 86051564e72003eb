// The contract tree against the bare read it rests on.
//
// BM_LoadContractTree rebuilds the whole tree widget (records, order, nodes, layout and
// first paint, offscreen) from a generated contract file; BM_RawScan steps the same
// "select * from htmain order by concode asc" through the sqlite3 C API and reads the
// three columns the tree needs, nothing else. The commands (add, add below, delete and
// move a branch of 100, expand all) are timed from the command to the window painted and
// ready for the next one, each on its own copy of the file. The files hold a tree four
// levels deep, its rows stored in shuffled order, made once per size in a fresh folder
// under $TMPDIR (or /tmp). Argument: the number of contracts.
//
// bench/tree_with_screen_reader.sh runs the same with the desktop's accessibility bridge
// active, as a screen reader has it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QAccessible>
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
#include <memory>
#include <random>

#include "CommandGuard.h"
#include "ContractCode.h"
#include "ContractNode.h"
#include "ContractQuery.h"
#include "ContractTree.h"
#include "NodeWalk.h"
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
    QCoreApplication::processEvents();
    const double start = residentMiB();
    for (auto _ : state) {
        tree.LoadContractTree();
        QCoreApplication::processEvents();  // the view's layout and its first paint
    }
    if (tree.NodeList().size() != size_t(state.range(0))) fail("the tree did not take every row");
    state.counters["rows"] = double(tree.NodeList().size());
    // What the loaded tree holds in memory, its records and nodes.
    state.counters["tree_MiB"] = residentMiB() - start;
}

// Codes and ids of a branch of 100 contracts: the top, 9 below it and 10 below each.
constexpr qint64 kBranchTopId = 900000001;
const QString kBranchTop = QStringLiteral("0500");

void addBranchOf100(const QString& path) {
    sqlite3* db = openRaw(path);
    exec(db, "begin");
    sqlite3_stmt* insert =
        prepare(db, "insert into htmain (conid,concode,conname) values (?,?,'分包合同')");
    qint64 id = kBranchTopId;
    const auto add = [&](const QString& code) {
        sqlite3_bind_int64(insert, 1, id++);
        bindText(insert, 2, code);
        step(db, insert);
    };
    add(kBranchTop);
    for (int child = 2; child <= 10; ++child) {
        const QString code = kBranchTop + FormatCodeSegment(child);
        add(code);
        for (int grandchild = 2; grandchild <= 11; ++grandchild)
            add(code + FormatCodeSegment(grandchild));
    }
    sqlite3_finalize(insert);
    exec(db, "commit");
    sqlite3_close(db);
}

// A copy of the generated file with a branch of 100, its tree loaded in a shown window.
struct OpenTree {
    SilentDesktop desktop{true};
    QWidget host;
    CommandGuard guard{desktop, &host};
    ContractQuery query;
    std::unique_ptr<ContractTree> tree;

    explicit OpenTree(int count, const char* name) {
        const QString path = workPath(QStringLiteral("%1-%2.pzq").arg(QLatin1String(name)).arg(count));
        QFile::remove(path);
        if (!QFile::copy(contractFile(count), path)) fail("could not copy the contract file");
        addBranchOf100(path);
        desktop.confirming = true;
        host.resize(300, 800);
        query.setContractFile(path);
        tree = std::make_unique<ContractTree>(query, desktop, guard, &host);
        tree->view()->resize(300, 800);
        host.show();
        // As the clerk has it: the window active and the tree holding the focus, which is
        // what a screen reader follows.
        host.activateWindow();
        tree->view()->setFocus();
        reload();
    }
    void reload() {
        tree->LoadContractTree();
        settle();
    }
    // The layout and paint the command left, and everything else queued: then the window
    // answers the next command.
    static void settle() { QCoreApplication::processEvents(); }
    void selectCode(const QString& code) {
        QTreeWidgetItem* found = nullptr;
        visitNodesBelow(tree->view()->invisibleRootItem(), [&](QTreeWidgetItem* item) {
            if (!found && ContractNode::recordOf(item)->contractCode == code) found = item;
        });
        if (!found) fail("no node has the code", code);
        tree->view()->setCurrentItem(found);
    }
    void run(void (ContractTree::*command)()) {
        guard.run([&] { (tree.get()->*command)(); });
        settle();
    }
    void reportSize(benchmark::State& state, double startMiB) const {
        state.counters["rows"] = double(tree->NodeList().size());
        state.counters["memory_growth_MiB"] = residentMiB() - startMiB;
        state.counters["screen_reader"] = QAccessible::isActive() ? 1 : 0;
    }
};

void BM_AddContract(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "add");
    const double start = residentMiB();
    for (auto _ : state) open.run(&ContractTree::addContract);
    open.reportSize(state, start);
}

void BM_AddSubContract(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "sub");
    const double start = residentMiB();
    for (auto _ : state) {
        state.PauseTiming();
        open.selectCode(QStringLiteral("000200020002"));
        state.ResumeTiming();
        open.run(&ContractTree::addSubContract);
    }
    open.reportSize(state, start);
}

void BM_DeleteBranch(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "delete");
    const double start = residentMiB();
    for (auto _ : state) {
        state.PauseTiming();
        if (open.tree->NodeList().size() == size_t(state.range(0))) {  // deleted last time
            addBranchOf100(open.query.contractFile());
            open.reload();
        }
        open.selectCode(kBranchTop);
        state.ResumeTiming();
        open.run(&ContractTree::deleteContract);
    }
    if (open.tree->NodeList().size() != size_t(state.range(0))) fail("the branch was not deleted");
    open.reportSize(state, start);
}

void BM_MoveBranch(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "move");
    const double start = residentMiB();
    bool toFirst = true;
    for (auto _ : state) {
        state.PauseTiming();
        open.query.RunQuery(QStringLiteral("select concode from htmain where conid=%1").arg(kBranchTopId));
        const QString code = open.query.text("concode");
        open.query.close();
        open.selectCode(code);
        state.ResumeTiming();
        const QString target = toFirst ? QStringLiteral("0002") : QStringLiteral("0003");
        open.guard.run([&] { open.tree->MoveContractBranch(code, target); });
        OpenTree::settle();
        toFirst = !toFirst;
    }
    open.reportSize(state, start);
}

void BM_ExpandAll(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "expand");
    const double start = residentMiB();
    for (auto _ : state) {
        open.run(&ContractTree::expandAll);
        state.PauseTiming();
        open.run(&ContractTree::collapseAll);
        state.ResumeTiming();
    }
    open.reportSize(state, start);
}

void BM_CollapseAll(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "collapse");
    const double start = residentMiB();
    for (auto _ : state) {
        state.PauseTiming();
        open.run(&ContractTree::expandAll);
        state.ResumeTiming();
        open.run(&ContractTree::collapseAll);
    }
    open.reportSize(state, start);
}

// Another clerk added a contract and renamed one; the tree follows the file.
void BM_FollowFile(benchmark::State& state) {
    OpenTree open(int(state.range(0)), "follow");
    const double start = residentMiB();
    qint64 id = kBranchTopId + 1000;
    for (auto _ : state) {
        state.PauseTiming();
        sqlite3* db = openRaw(open.query.contractFile());
        const QByteArray change = QStringLiteral(
            "insert into htmain (conid,concode,conname) values (%1,'%2','别人的合同');"
            "update htmain set conname='改名%1' where conid=7")
            .arg(id).arg(QStringLiteral("00020003") + FormatCodeSegment(int(id % 9000) + 100)).toUtf8();
        exec(db, change.constData());
        sqlite3_close(db);
        ++id;
        state.ResumeTiming();
        open.tree->followFile();
        OpenTree::settle();
    }
    open.reportSize(state, start);
}

}  // namespace

BENCHMARK(BM_RawScan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadContractTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddContract)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddSubContract)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteBranch)->Arg(100000)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveBranch)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandAll)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollapseAll)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FollowFile)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Widgets); }
