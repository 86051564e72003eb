// Converting a large contract file of the earlier Windows program (172 MB: 2,000
// contracts, 10,000 payments, 166 MB of long binaries, the largest a 40 MB scan), against
// reading the same rows and long binaries with libmdb alone (BM_ReadLegacy, the baseline).
//
// The converted file is written to a fresh folder under $TMPDIR (or /tmp) and made
// durable by the conversion's own commit. For the peak memory of one of them, run it
// alone: /usr/bin/time -v bench_legacy --benchmark_filter=BM_ConvertLegacy
#include <benchmark/benchmark.h>
#include <mdbtools.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "AppError.h"
#include "ContractSchema.h"
#include "LegacyConversion.h"

namespace {

const QString kLargeFile = QStringLiteral(VEMORA_SHARED_FIXTURES "/legacy/legacy-large.pzq");
constexpr size_t kBindSize = 64 * 1024;  // room for the longest memo (10,742 characters)

class QuietProgress : public ConversionProgress {
  public:
    void report(const ConversionStatus&) override {}
    bool cancelRequested() override { return false; }
    void tableCopied(const QString&, qint64) override {}
};

// Every row of the eight tables through libmdb's own binding, and every long binary
// through its long-value reader; returns the bytes of long binaries read.
qint64 readWithLibmdb(const QString& path) {
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb) return -1;
    mdb_set_bind_size(mdb, kBindSize);
    mdb_read_catalog(mdb, MDB_TABLE);
    qint64 longBytes = 0;
    for (const QString& name : contractTables()) {
        MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, name.toUtf8().constData());
        if (!entry) continue;
        MdbTableDef* table = mdb_read_table(entry);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        std::vector<std::vector<char>> values(table->num_cols, std::vector<char>(kBindSize));
        std::vector<int> lengths(table->num_cols);
        for (unsigned i = 0; i < table->num_cols; ++i)
            mdb_bind_column(table, int(i + 1), values[i].data(), &lengths[i]);
        while (mdb_fetch_row(table)) {
            for (unsigned i = 0; i < table->num_cols; ++i) {
                auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
                // A bound length of 0 is a missing value.
                if (column->col_type != MDB_OLE || lengths[i] == 0) continue;
                char header[MDB_MEMO_OVERHEAD];
                memcpy(header, values[i].data(), MDB_MEMO_OVERHEAD);
                for (size_t got = mdb_ole_read(mdb, column, header, kBindSize); got > 0;
                     got = mdb_ole_read_next(mdb, column, header))
                    longBytes += qint64(got);
            }
        }
        mdb_free_tabledef(table);
    }
    mdb_close(mdb);
    return longBytes;
}

void BM_ReadLegacy(benchmark::State& state) {
    if (!QFile::exists(kLargeFile)) return state.SkipWithError("legacy-large.pzq is missing");
    qint64 longBytes = 0;
    for (auto _ : state) longBytes = readWithLibmdb(kLargeFile);
    state.counters["long_MB"] = double(longBytes) / 1e6;
    state.SetBytesProcessed(state.iterations() * QFile(kLargeFile).size());
}
BENCHMARK(BM_ReadLegacy)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_ConvertLegacy(benchmark::State& state) {
    if (!QFile::exists(kLargeFile)) return state.SkipWithError("legacy-large.pzq is missing");
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench_legacy-XXXXXX"));
    const QString target = folder.filePath(QStringLiteral("converted.pzq"));
    QuietProgress progress;
    for (auto _ : state) {
        try {
            convertLegacyContractFile(kLargeFile, target, QStringLiteral(VEMORA_TEMPLATE_PATH),
                                      progress);
        } catch (const AppError& error) {
            return state.SkipWithError(error.what());
        }
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFile(kLargeFile).size());
}
BENCHMARK(BM_ConvertLegacy)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
