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

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "Desktop.h"
#include "Tmainf.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

constexpr int kRecordsPerLedger = 5;

QString contractFile(int contracts) {
    static QMap<int, QString> made;
    if (made.contains(contracts)) return made.value(contracts);
    const QString path = workFolder().filePath(QStringLiteral("select-%1.pzq").arg(contracts));
    makeContractsWithLedgers(QStringLiteral(VEMORA_TEMPLATE_PATH), path, contracts,
                             kRecordsPerLedger);
    made.insert(contracts, path);
    return path;
}

void selectContracts(benchmark::State& state, int contracts) {
    const QString path = contractFile(contracts);
    SilentDesktop desktop(true);
    Tmainf window(desktop, workFolder().path());
    window.resize(1100, 750);
    window.show();
    QCoreApplication::processEvents();
    window.OpenContractFile(path);
    selectContractsInTurn(state, window, contracts);
    state.counters["contracts"] = contracts;
}

void BM_SelectContract(benchmark::State& state) { selectContracts(state, 100000); }
void BM_SelectContractSmall(benchmark::State& state) { selectContracts(state, 100); }

}  // namespace

BENCHMARK(BM_SelectContract)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectContractSmall)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Widgets); }
