// The contract register to .xlsx against the bare reading it rests on.
//
// BM_ExportRegister writes the register (every contract in tree order with its ledgers'
// sums) of a generated contract file to an .xlsx file; BM_RawRegisterQuery runs the same
// queries and reads every value, writing nothing. The files hold n contracts in a tree
// three levels deep and ten ledger rows per contract (seven payments, three claims), so
// 1,000,000 ledger rows at n = 100,000; each is made once per size in a fresh folder under
// $TMPDIR (or /tmp) with bulk inserts in one transaction. Argument: the number of
// contracts. The counter rss_growth_mb is how far the peak resident memory rose above
// the resident size at the benchmark's start (the file's making excluded): flat memory
// shows as the same small figure for every size.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ContractQuery.h"
#include "ContractRegister.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

// Codes of a tree three levels deep: 100 top-level contracts, up to 30 below each, the
// rest below those.
QString codeOf(int i) {
    const auto segment = [](int n) {
        return QStringLiteral("%1").arg(n + 2, 4, 10, QLatin1Char('0'));
    };
    const int top = i % 100, middle = (i / 100) % 30, low = i / 3000;
    if (i < 100) return segment(top);
    if (i < 3000) return segment(top) + segment(middle);
    return segment(top) + segment(middle) + segment(low);
}

QString contractFile(int count) {
    static QMap<int, QString> made;
    if (made.contains(count)) return made.value(count);
    const QString path = workFolder().filePath(QStringLiteral("register-%1.pzq").arg(count));
    copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), path);

    sqlite3* db = openRaw(path);
    exec(db, "begin");
    sqlite3_stmt* contract = prepare(
        db,
        "insert into htmain (conid,concode,showcode,conname,jiafang,yifang,partname,htlb,qdrq,"
        "htjk,yfjk,jsje,gd) values (?,?,?,?,'甲方建设集团有限公司','乙方工程有限公司','基建处',"
        "'施工合同','2026-03-15',?,500000,0,'false')");
    sqlite3_stmt* payment =
        prepare(db,
                "insert into htfk (conid,fkname,fkje,fpje,fkrq,sbdh,fph) values "
                "(?,'进度款',?,?,'2026-04-01','SB-0001','FP-0001')");
    sqlite3_stmt* claim = prepare(db,
                                  "insert into htsp (conid,spname,spje,fpje,fkrq,sbdh,fph) values "
                                  "(?,'工期索赔',?,0,'2026-04-01','SB-0001','')");
    for (int i = 0; i < count; ++i) {
        const QByteArray code = codeOf(i).toUtf8();
        const QByteArray number = QStringLiteral("HT-2026-%1").arg(i + 1).toUtf8();
        const QByteArray name = QStringLiteral("合同%1 教学楼施工总承包").arg(i + 1).toUtf8();
        sqlite3_bind_int(contract, 1, i + 1);
        sqlite3_bind_text(contract, 2, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(contract, 3, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(contract, 4, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(contract, 5, 1500000 + i);
        step(db, contract);
        for (int p = 0; p < 7; ++p) {
            sqlite3_bind_int(payment, 1, i + 1);
            sqlite3_bind_double(payment, 2, 10000.25 * (p + 1));
            sqlite3_bind_double(payment, 3, 10000.0 * (p + 1));
            step(db, payment);
        }
        for (int c = 0; c < 3; ++c) {
            sqlite3_bind_int(claim, 1, i + 1);
            sqlite3_bind_double(claim, 2, 500.5 * (c + 1));
            step(db, claim);
        }
    }
    sqlite3_finalize(contract);
    sqlite3_finalize(payment);
    sqlite3_finalize(claim);
    exec(db, "commit");
    sqlite3_close(db);
    made.insert(count, path);
    return path;
}

void BM_RawRegisterQuery(benchmark::State& state) {
    const QString path = contractFile(int(state.range(0)));
    ContractQuery query;
    query.setContractFile(path);
    qint64 rows = 0;
    const PeakMemory memory;
    for (auto _ : state) {
        rows = 0;
        benchmark::DoNotOptimize(countRegisterRows(query));
        readRegister(query, [&rows](const RegisterRow& r) {
            benchmark::DoNotOptimize(r);
            ++rows;
            return true;
        });
    }
    if (rows != state.range(0)) fail("the register did not see every contract");
    state.counters["rows"] = double(rows);
    state.counters["rss_growth_mb"] = memory.risenMiB();
}

void BM_ExportRegister(benchmark::State& state) {
    const QString path = contractFile(int(state.range(0)));
    const QString target =
        workFolder().filePath(QStringLiteral("register-%1.xlsx").arg(state.range(0)));
    ContractQuery query;
    query.setContractFile(path);
    const PeakMemory memory;
    for (auto _ : state) {
        if (!exportRegisterXlsx(query, target, {})) fail("the export was cancelled");
    }
    state.counters["xlsx_mb"] = double(QFile(target).size()) / 1e6;
    state.counters["rss_growth_mb"] = memory.risenMiB();
    QFile::remove(target);
}

// The same register as landscape PDF pages, for comparison.
void BM_ExportRegisterPdf(benchmark::State& state) {
    const QString path = contractFile(int(state.range(0)));
    const QString target = workFolder().filePath(QStringLiteral("register-%1.pdf").arg(state.range(0)));
    ContractQuery query;
    query.setContractFile(path);
    const PeakMemory memory;
    for (auto _ : state) {
        if (!exportRegisterPdf(query, target, QDate(2026, 5, 20), {}))
            fail("the export was cancelled");
    }
    state.counters["pdf_mb"] = double(QFile(target).size()) / 1e6;
    state.counters["rss_growth_mb"] = memory.risenMiB();
    QFile::remove(target);
}

}  // namespace

BENCHMARK(BM_RawRegisterQuery)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportRegister)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportRegisterPdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Gui); }
