// A contract on a PostgreSQL server (team mode), measured against a throwaway server of the
// benchmark's own (as the tests start it: a socket in /tmp, fsync off).
//
// BM_Upload copies a contract file holding 150 MiB of stored files (four documents of
// 30 MiB and thirty scans of 1 MiB, incompressible, with a thousand ledger rows) into an
// empty database, in the one transaction the program uses; BM_Download writes the database
// back into a new contract file; BM_FileCopy is the plain copy of the same contract file
// they are measured against (no fsync either, as the server runs without it). The stored
// bytes count as the bytes processed. peak_MiB and rise_MiB give the process's peak memory
// and how far it rose above the memory in use when the copy started: streaming keeps the
// rise near a few pieces of 1 MiB whatever the size.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QFile>
#include <QTemporaryDir>

#include "AppError.h"
#include "BenchSupport.h"
#include "ContractDownload.h"
#include "ContractUpload.h"
#include "ServerConnection.h"
#include "ThrowawayServer.h"

namespace {

using namespace bench;

constexpr qint64 kMiB = 1 << 20;

struct StoredFile {
    const char* table;
    const char* key;
    const char* column;
    qint64 size;
};

// Incompressible bytes, cheap to make.
void fillRandom(QByteArray& chunk, quint64& state) {
    auto* words = reinterpret_cast<quint64*>(chunk.data());
    for (qsizetype w = 0; w < chunk.size() / 8; ++w) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        words[w] = state;
    }
}

qint64 storedBytes() { return 4 * 30 * kMiB + 30 * kMiB; }

// The contract file holding the stored files, made once.
const QString& sourceFile() {
    static const QString path = [] {
        const QString file = workPath(QStringLiteral("upload-source.pzq"));
        copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), file);
        sqlite3* db = openRaw(file);
        exec(db, "begin");
        exec(db, "insert into htmain (conid, concode, conname) values (1, '0001', '合同')");
        sqlite3_stmt* payment =
            prepare(db, "insert into htfk (fkid, conid, fkname, fkje) values (?, 1, '付款', ?)");
        for (int i = 1; i <= 1000; ++i) {
            sqlite3_bind_int(payment, 1, i);
            sqlite3_bind_double(payment, 2, i * 10.5);
            step(db, payment);
        }
        sqlite3_finalize(payment);
        QList<StoredFile> stored;
        for (int i = 1; i <= 4; ++i) stored << StoredFile{"httext", "id", "docfile", 30 * kMiB};
        for (int i = 1; i <= 30; ++i) stored << StoredFile{"htyj", "htyjid", "htyjpic", kMiB};
        QByteArray chunk(int(kMiB), Qt::Uninitialized);
        quint64 state = 0x9E3779B97F4A7C15ull;
        int id = 0;
        for (const StoredFile& file : stored) {
            ++id;
            const QByteArray insert = QByteArray("insert into ") + file.table + " (" + file.key +
                                      ", conid, " + file.column + ") values (" +
                                      QByteArray::number(id) + ", 1, zeroblob(" +
                                      QByteArray::number(file.size) + "))";
            exec(db, insert.constData());
            sqlite3_blob* blob = nullptr;
            if (sqlite3_blob_open(db, "main", file.table, file.column, id, 1, &blob) != SQLITE_OK)
                fail("cannot open a blob", QString::fromUtf8(sqlite3_errmsg(db)));
            for (qint64 offset = 0; offset < file.size; offset += kMiB) {
                fillRandom(chunk, state);
                sqlite3_blob_write(blob, chunk.constData(), int(kMiB), int(offset));
            }
            sqlite3_blob_close(blob);
        }
        exec(db, "commit");
        sqlite3_close(db);
        return file;
    }();
    return path;
}

ThrowawayServer& server() {
    ThrowawayServer& server = ThrowawayServer::instance();
    if (!server.problem().isEmpty()) fail("no throwaway server:", server.problem());
    return server;
}

void BM_FileCopy(benchmark::State& state) {
    const QString& source = sourceFile();
    const QString target = workPath(QStringLiteral("copy.pzq"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        if (!QFile::copy(source, target)) fail("cannot copy", target);
    }
    QFile::remove(target);
    state.SetBytesProcessed(state.iterations() * storedBytes());
}

void BM_Upload(benchmark::State& state) {
    const QString& source = sourceFile();
    sqlite3* db = openRaw(source);
    const PeakMemory memory;
    for (auto _ : state) {
        state.PauseTiming();
        const QString database = server().newDatabase();
        {
            ServerConnection target(server().connectionString(database));
            state.ResumeTiming();
            try {
                uploadContractFile(db, target);
            } catch (const AppError& error) {
                fail("upload failed:", error.text());
            }
            state.PauseTiming();
        }
        server().dropDatabase(database);
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = memory.peakMiB();
    state.counters["rise_MiB"] = memory.risenMiB();
    sqlite3_close(db);
    state.SetBytesProcessed(state.iterations() * storedBytes());
}

void BM_Download(benchmark::State& state) {
    const QString database = server().newDatabase();
    {
        sqlite3* db = openRaw(sourceFile());
        ServerConnection target(server().connectionString(database));
        uploadContractFile(db, target);
        sqlite3_close(db);
    }
    ServerConnection connection(server().connectionString(database));
    const QString target = workPath(QStringLiteral("download.pzq"));
    const PeakMemory memory;
    for (auto _ : state) {
        try {
            const QString fresh =
                downloadContractFile(connection, QStringLiteral(VEMORA_TEMPLATE_PATH), target);
            state.PauseTiming();
            QFile::remove(fresh);
            state.ResumeTiming();
        } catch (const AppError& error) {
            fail("download failed:", error.text());
        }
    }
    state.counters["peak_MiB"] = memory.peakMiB();
    state.counters["rise_MiB"] = memory.risenMiB();
    state.SetBytesProcessed(state.iterations() * storedBytes());
    server().dropDatabase(database);
}

}  // namespace

BENCHMARK(BM_FileCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Upload)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Download)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) { return runBenchmarks(argc, argv, QtKind::Core); }
