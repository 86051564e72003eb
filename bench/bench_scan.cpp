// Showing a stored scan on the page "合同原件": a colour A4 page scanned at 600 dpi, a
// 35-megapixel JPEG, shown by a row click fitted and at actual size (taking it out of the
// contract file included), against decoding the same file at full size with QImageReader.
// And renaming a row that holds a 256 MB file, through the page and as one plain update.
//
// Each benchmark reports peak_MiB: how far the process's resident memory rose above where it
// stood when the benchmark began (the high-water mark is reset first).
//
// Files go to a fresh folder under $TMPDIR (or /tmp).
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "AppError.h"
#include "BlobTransfer.h"
#include "CommandGuard.h"
#include "ContractQuery.h"
#include "Desktop.h"
#include "ScanPage.h"
#include "ScratchFolder.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

constexpr qint64 kMiB = 1 << 20;

// ---------------------------------------------------------------- the page

// A page of text scanned in colour: paper with soft shading, lines of darker marks and
// scanner noise, which gives a JPEG of realistic size rather than a flat one.
QString scannedPage() {
    static const QString path = [] {
        const QString file = workPath(QStringLiteral("a4-600dpi.jpg"));
        QImage page(7000, 5000, QImage::Format_RGB32);
        QRandomGenerator noise(42);
        for (int y = 0; y < page.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(page.scanLine(y));
            const bool textLine = (y / 60) % 2 == 1 && y % 60 > 12 && y % 60 < 48;
            for (int x = 0; x < page.width(); ++x) {
                int shade = 235 - (x + y) / 400 + int(noise.bounded(12));
                if (textLine && (x / 23) % 5 != 0 && ((x * 7 + y * 3) / 11) % 4 == 0) shade -= 150;
                line[x] = qRgb(shade, shade - 4, shade - 12);
            }
        }
        if (!page.save(file, "JPEG", 85)) fail("cannot write", file);
        return file;
    }();
    return path;
}

// A contract file with contract 1, and the page over it, shown at a usual size.
struct ScanBench {
    SilentDesktop desktop{true};
    QWidget window;
    CommandGuard guard{desktop, &window};
    ContractQuery query;
    ScratchFolder scratch{workPath(QStringLiteral("program"))};
    ScanPage* page = nullptr;

    explicit ScanBench(const QString& name) {
        const QString file = workPath(name);
        QFile::remove(file);
        copyTemplate(QStringLiteral(VEMORA_TEMPLATE_PATH), file);
        query.setContractFile(file);
        query.RunCommand(
            QStringLiteral("insert into htmain (conid,concode,conname) values (1,'0001','合同')"));
        page = new ScanPage(contractScans(), query, guard, scratch, &window);
        window.resize(800, 550);
        page->resize(window.size());
        window.show();
    }
    void addPicture(qint64 id, const QString& path) {
        query.RunCommand(
            QStringLiteral("insert into htyj (htyjid,conid,htyjname,htyjsm,picfilename) "
                           "values (%1,1,'第%1页','','a4.jpg')")
                .arg(id));
        try {
            StoreFileInBlob(query, QStringLiteral("htyj"), QStringLiteral("htyjid"), id,
                            QStringLiteral("htyjpic"), path);
        } catch (const AppError& error) {
            fail("store failed:", error.text());
        }
    }
    template <typename T>
    T* control(const char* name) {
        T* found = page->findChild<T*>(QString::fromLatin1(name));
        if (!found) fail("no control", QString::fromLatin1(name));
        return found;
    }
};

// Two rows holding the same scan: each iteration moves to the other row, which runs the row
// click: the scan is taken out to the scratch folder, read, decoded and laid out, and the
// visible part of the area painted.
void showScan(benchmark::State& state, bool fit) {
    ScanBench bench(QStringLiteral("show.pzq"));
    bench.addPicture(1, scannedPage());
    bench.addPicture(2, scannedPage());
    bench.page->loadList(1);
    if (!fit) bench.control<QAction>("TBItem36")->trigger();
    auto* grid = bench.control<QTableWidget>("StringGrid4");
    auto* box = bench.control<QScrollArea>("ScrollBox4");
    int row = 0;
    const PeakMemory peak;
    for (auto _ : state) {
        row = 1 - row;
        grid->setCurrentCell(row, 0);
        box->viewport()->repaint();
    }
    state.counters["peak_MiB"] = peak.risenMiB();
    const QSize shown = bench.control<QWidget>("Image2")->size();
    if (shown.isEmpty() || (!fit && shown != QSize(7000, 5000))) fail("the scan was not shown");
    state.SetLabel(QStringLiteral("%1 x %2 shown, file %3 KiB")
                       .arg(shown.width())
                       .arg(shown.height())
                       .arg(QFileInfo(scannedPage()).size() / 1024)
                       .toStdString());
}

void BM_DecodeFullSize(benchmark::State& state) {
    const QString path = scannedPage();
    QImageReader::setAllocationLimit(1024);  // Qt's default of 128 MB refuses the page
    const PeakMemory peak;
    for (auto _ : state) {
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.isNull()) fail("decode failed:", reader.errorString());
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["peak_MiB"] = peak.risenMiB();
}

void BM_ShowScanFitted(benchmark::State& state) { showScan(state, true); }
void BM_ShowScanActual(benchmark::State& state) { showScan(state, false); }

// ---------------------------------------------------------------- renaming a large row

QString largeFile() {
    static const QString path = [] {
        const QString file = workPath(QStringLiteral("large.bin"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly)) fail("cannot write", file);
        QByteArray chunk(int(kMiB), Qt::Uninitialized);
        quint64 word = 0x9E3779B97F4A7C15ull;
        for (int i = 0; i < 256; ++i) {
            auto* words = reinterpret_cast<quint64*>(chunk.data());
            for (qsizetype w = 0; w < chunk.size() / 8; ++w) {
                word ^= word << 13;
                word ^= word >> 7;
                word ^= word << 17;
                words[w] = word;
            }
            out.write(chunk);
        }
        return file;
    }();
    return path;
}

// "替换当前图片" with nothing pending: the row's name and description change, its 256 MB
// file stays.
void BM_ReplaceNamesOnly256MiB(benchmark::State& state) {
    ScanBench bench(QStringLiteral("rename.pzq"));
    bench.addPicture(1, largeFile());
    bench.page->loadList(1);
    auto* name = bench.control<QLineEdit>("Edit40");
    auto* replace = bench.control<QPushButton>("FlatButton11");
    int round = 0;
    const PeakMemory peak;
    for (auto _ : state) {
        name->setText(QStringLiteral("第%1次改名").arg(++round));
        replace->click();
    }
    state.counters["peak_MiB"] = peak.risenMiB();
    bench.query.RunQuery(QStringLiteral("select length(htyjpic) as n,htyjname from htyj"));
    if (bench.query.integer("n") != 256 * kMiB ||
        !bench.query.text("htyjname").endsWith(QStringLiteral("改名")))
        fail("the row did not keep its file");
}

// The same change as one plain update statement: the engine rewrites the row with its value.
void BM_PlainUpdateNamesOnly256MiB(benchmark::State& state) {
    ScanBench bench(QStringLiteral("plain.pzq"));
    bench.addPicture(1, largeFile());
    int round = 0;
    const PeakMemory peak;
    for (auto _ : state) {
        bench.query.RunCommand(
            QStringLiteral("update htyj set htyjname='第%1次改名',htyjsm='' where htyjid=1")
                .arg(++round));
    }
    state.counters["peak_MiB"] = peak.risenMiB();
}

}  // namespace

// The baseline first. Showing is work for the processor, so the three are timed by processor
// time, which a busy shared machine disturbs far less than the wall clock.
BENCHMARK(BM_DecodeFullSize)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ShowScanFitted)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ShowScanActual)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReplaceNamesOnly256MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_PlainUpdateNamesOnly256MiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Widgets); }
