// Moving whole files into and out of a contract file, against a plain copy of the same file.
//
// Every operation here ends durable on disk: the store commits its transaction, the
// extract commits its save file, and the copy syncs its target. Without that the copy
// would only measure the kernel's page cache while the other two wait for the disk.
//
// Files go to a fresh folder under $TMPDIR (or /tmp). Argument: file size in MiB.
//
// The store and the replace also report the process's peak memory while they ran
// (peak_MiB) and how far it rose above the memory in use when they started (rise_MiB):
// moving a file must not hold it in memory, so the rise stays small whatever the size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "AppError.h"
#include "BlobTransfer.h"
#include "ContractQuery.h"
#include "DocumentStore.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

constexpr qint64 kMiB = 1 << 20;

// One source file per size, made on first use and shared by the three benchmarks, so
// that all of them read the same bytes from the same (warm) page cache.
QString sourceFile(qint64 mib) {
    static QMap<qint64, QString> made;
    if (made.contains(mib)) return made.value(mib);
    const QString path = workPath(QStringLiteral("source-%1.bin").arg(mib));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) fail("cannot write", path);
    QByteArray chunk(int(kMiB), Qt::Uninitialized);
    quint64 state = 0x9E3779B97F4A7C15ull;
    for (qint64 i = 0; i < mib; ++i) {
        auto* words = reinterpret_cast<quint64*>(chunk.data());
        for (qsizetype w = 0; w < chunk.size() / 8; ++w) {
            state ^= state << 13;  // xorshift: incompressible, cheap to make
            state ^= state >> 7;
            state ^= state << 17;
            words[w] = state;
        }
        file.write(chunk);
    }
    file.close();
    made.insert(mib, path);
    return path;
}

std::unique_ptr<ContractQuery> newContractFile(const QString& path) {
    QFile::remove(path);
    copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), path);
    auto query = std::make_unique<ContractQuery>();
    query->setContractFile(path);
    query->RunCommand(QStringLiteral("insert into httext (id,conid,textname) values (1,1,'document.bin')"));
    return query;
}

void durableCopy(const QString& from, const QString& to) {
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY);
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0) fail("cannot open for copying", to);
    static QByteArray buffer(int(kMiB), Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
        if (got < 0) fail("read failed", from);
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer.constData() + done, size_t(got - done));
            if (put <= 0) fail("write failed", to);
            done += put;
        }
    }
    if (::fsync(out) != 0) fail("fsync failed", to);
    ::close(in);
    ::close(out);
}

void BM_FileCopy(benchmark::State& state) {
    const qint64 mib = state.range(0);
    const QString source = sourceFile(mib);
    const QString target = workPath(QStringLiteral("copy.bin"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        durableCopy(source, target);
    }
    QFile::remove(target);
    state.SetBytesProcessed(state.iterations() * mib * kMiB);
}

void BM_StoreFileInBlob(benchmark::State& state) {
    const qint64 mib = state.range(0);
    const QString source = sourceFile(mib);
    const QString contractFile = workPath(QStringLiteral("store.pzq"));
    const PeakMemory memory;
    for (auto _ : state) {
        state.PauseTiming();
        // A new document row in a new file: the store is the step being measured.
        auto query = newContractFile(contractFile);
        state.ResumeTiming();
        try {
            StoreFileInBlob(*query, QStringLiteral("httext"), QStringLiteral("id"), 1,
                            QStringLiteral("docfile"), source);
        } catch (const AppError& error) {
            fail("store failed:", error.text());
        }
        state.PauseTiming();
        query.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = memory.peakMiB();
    state.counters["rise_MiB"] = memory.risenMiB();
    QFile::remove(contractFile);
    state.SetBytesProcessed(state.iterations() * mib * kMiB);
}

// An imported document replacing the current one of the same size: its name, its bytes
// and its (absent) RTF copy in one statement, without reading the old bytes back.
void BM_ReplaceDocument(benchmark::State& state) {
    const qint64 mib = state.range(0);
    const QString source = sourceFile(mib);
    const QString contractFile = workPath(QStringLiteral("replace.pzq"));
    auto query = newContractFile(contractFile);
    try {
        StoreFileInBlob(*query, QStringLiteral("httext"), QStringLiteral("id"), 1,
                        QStringLiteral("docfile"), source);
    } catch (const AppError& error) {
        fail("store failed:", error.text());
    }
    const PeakMemory memory;
    for (auto _ : state) {
        try {
            storeDocumentRow(*query, 1, 1, ImportMode::Update, source, QString());
        } catch (const AppError& error) {
            fail("replace failed:", error.text());
        }
    }
    state.counters["peak_MiB"] = memory.peakMiB();
    state.counters["rise_MiB"] = memory.risenMiB();
    query.reset();
    QFile::remove(contractFile);
    state.SetBytesProcessed(state.iterations() * mib * kMiB);
}

void BM_ExtractBlobToFile(benchmark::State& state) {
    const qint64 mib = state.range(0);
    const QString contractFile = workPath(QStringLiteral("extract.pzq"));
    const QString target = workPath(QStringLiteral("extracted.bin"));
    auto query = newContractFile(contractFile);
    try {
        StoreFileInBlob(*query, QStringLiteral("httext"), QStringLiteral("id"), 1,
                        QStringLiteral("docfile"), sourceFile(mib));
    } catch (const AppError& error) {
        fail("store failed:", error.text());
    }
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        try {
            ExtractBlobToFile(*query, QStringLiteral("httext"), QStringLiteral("id"), 1,
                              QStringLiteral("docfile"), target);
        } catch (const AppError& error) {
            fail("extract failed:", error.text());
        }
    }
    query.reset();
    QFile::remove(target);
    QFile::remove(contractFile);
    state.SetBytesProcessed(state.iterations() * mib * kMiB);
}

}  // namespace

// Copy first, so that the baseline is measured before the other two have filled the disk
// queue; each benchmark runs at 64 and 256 MiB to show how time and memory scale.
BENCHMARK(BM_FileCopy)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_StoreFileInBlob)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReplaceDocument)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ExtractBlobToFile)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

BENCHMARK_MAIN();
