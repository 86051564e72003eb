// Reading a word-processor document's RTF copy for the preview, against what the preview
// would cost without our reader: LibreOffice turning the same RTF into HTML.
//
// At start-up the benchmark writes a long Chinese document with tables as HTML and has
// LibreOffice convert it to RTF (about 1 MB), in a fresh folder under $TMPDIR (or /tmp)
// with a private LibreOffice profile, so no office the user runs is touched.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>

#include "RtfReader.h"
#include "BenchSupport.h"

namespace {

using namespace bench;

QTemporaryDir& workFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench_rtf-XXXXXX"));
    return folder;
}

QString officeProgram() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

// One headless LibreOffice conversion, with the benchmark's own profile.
bool convert(const QString& source, const QString& target, const QStringList& filterArguments) {
    QProcess office;
    QStringList arguments = {
        "-env:UserInstallation=" + QUrl::fromLocalFile(workFolder().filePath("profile")).toString(),
        "--headless", "--norestore"};
    arguments << filterArguments << "--outdir" << workFolder().path() << source;
    office.start(officeProgram(), arguments);
    if (!office.waitForFinished(300000)) {
        office.kill();
        office.waitForFinished();
        return false;
    }
    return office.exitStatus() == QProcess::NormalExit && QFile::exists(target);
}

// Paragraphs of contract prose and, every few paragraphs, a table of payment terms.
QByteArray chineseHtml() {
    const QString sentence = QStringLiteral(
        "发包人与承包人经协商一致，就本工程的施工、竣工、保修等事项订立本合同，"
        "双方共同遵守，工程质量应符合国家现行验收规范，合同价款按约定分期支付。");
    QString html = QStringLiteral(
        "<html><head><meta charset=\"utf-8\"></head><body>"
        "<h1>建设工程施工合同</h1>");
    for (int section = 1; section <= 200; ++section) {
        html += QStringLiteral("<h2>第%1条 合同条款</h2>").arg(section);
        html += QStringLiteral("<p>") + sentence + sentence + QStringLiteral("</p>");
        html += QStringLiteral("<p><b>说明：</b>") + sentence + QStringLiteral("</p>");
        if (section % 4 == 0) {
            html += QStringLiteral(
                "<table border=\"1\"><tr><th>期次</th><th>付款条件</th>"
                "<th>比例</th><th>金额（元）</th></tr>");
            for (int row = 1; row <= 6; ++row) {
                html += QStringLiteral(
                            "<tr><td>第%1期</td><td>完成合同约定的第%1阶段工程</td>"
                            "<td>%2%</td><td>%3.00</td></tr>")
                            .arg(row)
                            .arg(row * 5)
                            .arg(row * 125000);
            }
            html += QStringLiteral("</table>");
        }
    }
    html += QStringLiteral("</body></html>");
    return html.toUtf8();
}

// The RTF file LibreOffice wrote, made once; empty when LibreOffice is missing.
const QString& rtfFile() {
    static const QString path = [] {
        if (officeProgram().isEmpty() || !workFolder().isValid()) return QString();
        const QString html = workFolder().filePath("contract.html");
        QFile file(html);
        if (!file.open(QIODevice::WriteOnly)) return QString();
        file.write(chineseHtml());
        file.close();
        const QString rtf = workFolder().filePath("contract.rtf");
        if (!convert(html, rtf, {"--infilter=HTML (StarWriter)", "--convert-to", "rtf"})) {
            return QString();
        }
        return rtf;
    }();
    return path;
}

QByteArray rtfBytes() {
    QFile file(rtfFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_ReadRtf(benchmark::State& state) {
    const QByteArray rtf = rtfBytes();
    if (rtf.isEmpty()) {
        state.SkipWithError("LibreOffice could not make the RTF file");
        return;
    }
    int characters = 0;
    for (auto _ : state) {
        QTextDocument document;
        readRtf(rtf, document);
        characters = document.characterCount();
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
    state.counters["rtf_bytes"] = double(rtf.size());
    state.counters["characters"] = characters;
}

void BM_LibreOfficeRtfToHtml(benchmark::State& state) {
    const QString rtf = rtfFile();
    if (rtf.isEmpty()) {
        state.SkipWithError("LibreOffice could not make the RTF file");
        return;
    }
    const QString html = workFolder().filePath("contract-preview.html");
    const QString source = workFolder().filePath("contract-preview.rtf");
    QFile::remove(source);
    QFile::copy(rtf, source);
    for (auto _ : state) {
        QFile::remove(html);
        if (!convert(source, html, {"--convert-to", "html"})) {
            state.SkipWithError("LibreOffice did not convert the RTF file");
            return;
        }
    }
}

}  // namespace

BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibreOfficeRtfToHtml)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) { return bench::runBenchmarks(argc, argv, bench::QtKind::Core); }
