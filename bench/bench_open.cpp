// Opening a contract file against the bare engine open it rests on.
//
// BM_OpenContractFile points a query object at a file and runs its first statement: the
// look at the file before the engine, the program's claim on it (its lock file), the
// engine's open and the check of the tables. BM_RawOpen opens the same file through the
// sqlite3 C API and runs the same statement. The file is made once per size in a fresh
// folder under $TMPDIR (or /tmp). Argument: the number of contracts.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "ContractQuery.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

const char* const kFirstStatement = "select count(*) as a from htmain";

QString contractFile(int count) {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench_open-XXXXXX"));
    static QMap<int, QString> made;
    if (made.contains(count)) return made.value(count);
    const QString path = folder.filePath(QStringLiteral("open-%1.pzq").arg(count));
    copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), path);
    sqlite3* db = openRaw(path);
    const QByteArray fill =
        QStringLiteral(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
            "insert into htmain (conid,concode,conname,jiafang) select i, "
            "substr('000'||(i%9000+1),-4)||substr('000'||(i/9000+1),-4), "
            "'合同'||i, '甲方建设集团有限公司' from n")
            .arg(count)
            .toUtf8();
    if (sqlite3_exec(db, fill.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("cannot fill", path);
    sqlite3_close(db);
    made.insert(count, path);
    return path;
}

void BM_OpenContractFile(benchmark::State& state) {
    const QString path = contractFile(int(state.range(0)));
    for (auto _ : state) {
        ContractQuery query;
        query.setContractFile(path);
        query.RunQuery(QString::fromLatin1(kFirstStatement));
        benchmark::DoNotOptimize(query.integer("a"));
    }
}
BENCHMARK(BM_OpenContractFile)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_RawOpen(benchmark::State& state) {
    const QByteArray path = contractFile(int(state.range(0))).toUtf8();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, kFirstStatement, -1, &statement, nullptr);
        sqlite3_step(statement);
        benchmark::DoNotOptimize(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
}
BENCHMARK(BM_RawOpen)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Core); }
