// Selecting a contract in the tree, in a big contract file against a small one.
//
// BM_SelectContract runs the whole selection sequence of the main window
// (Tmainf::TreeView1Change: the contract record and every page loader, then the layout
// and paint of the page in view, offscreen) in a file of 100,000 contracts;
// BM_SelectContractSmall does the same in a file of 100 contracts. Every contract of both
// files has the same ledgers: 5 payments and 5 claims, so the big file holds 1,000,000
// ledger records in all. The records are stored round by round over all contracts, so
// that a contract's records lie far apart in the file, as they do after years of use.
// Each iteration selects the next of 64 contracts spread over the whole tree. The files
// are made once per size in a fresh folder under $TMPDIR (or /tmp).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ContractCode.h"
#include "ContractTree.h"
#include "Desktop.h"
#include "Tmainf.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

constexpr int kRecordsPerLedger = 5;
constexpr int kContractsSelected = 64;

// Contracts in two levels: top-level contracts with up to 99 sub-contracts each.
QString contractCode(int index) {
    const int top = index / 100;
    const int child = index % 100;
    const QString parent = FormatCodeSegment(top + 2);
    return child == 0 ? parent : parent + FormatCodeSegment(child + 1);
}

QString contractFile(int contracts) {
    static QMap<int, QString> made;
    if (made.contains(contracts)) return made.value(contracts);
    const QString path = workFolder().filePath(QStringLiteral("select-%1.pzq").arg(contracts));
    copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), path);

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
        bindText(contract, 2, contractCode(i));
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
        for (int round = 0; round < kRecordsPerLedger; ++round) {
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
    made.insert(contracts, path);
    return path;
}

// Every node of the tree, parents before their children.
std::vector<QTreeWidgetItem*> allNodes(QTreeWidget* view) {
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = view->topLevelItem(i);
        nodes.push_back(top);
        for (int c = 0; c < top->childCount(); ++c) nodes.push_back(top->child(c));
    }
    return nodes;
}

void selectContracts(benchmark::State& state, int contracts) {
    const QString path = contractFile(contracts);
    SilentDesktop desktop(true);
    Tmainf window(desktop, workFolder().path());
    window.resize(1100, 750);
    window.show();
    QCoreApplication::processEvents();
    window.OpenContractFile(path);
    // The payment page is in view, so that its grid is laid out and painted too.
    window.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(2);

    const std::vector<QTreeWidgetItem*> nodes = allNodes(window.tree().view());
    if (int(nodes.size()) != contracts) fail("the tree did not take every contract");
    std::vector<QTreeWidgetItem*> chosen;
    for (int i = 0; i < kContractsSelected; ++i)
        chosen.push_back(nodes[(size_t(i) * 7919 + 13) % nodes.size()]);
    // A person clicks nodes in view: the parents of the chosen ones are opened beforehand,
    // as selecting a node in a closed branch opens it, once.
    for (QTreeWidgetItem* node : chosen) window.tree().view()->setCurrentItem(node);
    QCoreApplication::processEvents();

    size_t next = 0;
    for (auto _ : state) {
        window.tree().view()->setCurrentItem(chosen[next]);
        next = (next + 1) % chosen.size();
        QCoreApplication::processEvents();
    }
    state.counters["contracts"] = contracts;
}

void BM_SelectContract(benchmark::State& state) { selectContracts(state, 100000); }
void BM_SelectContractSmall(benchmark::State& state) { selectContracts(state, 100); }

}  // namespace

BENCHMARK(BM_SelectContract)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectContractSmall)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Widgets); }
