// The converter that runs LibreOffice: what it asks of the office, and how it ends a wait
// that goes on too long. Stand-in start programs (small shell scripts) play the office
// here; tst_documents converts a real Word document once.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "ContractFileFixture.h"
#include "LibreOfficeConverter.h"

namespace {

// Writes an executable shell script.
void writeScript(const QString& path, const QByteArray& body) {
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n" + body);
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}

// Alive, and not merely waiting to be reaped.
bool isRunning(qint64 pid) {
    const QByteArray stat = fileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.isEmpty()) return false;
    const qsizetype state = stat.lastIndexOf(')') + 2;
    return state < stat.size() && stat.at(state) != 'Z';
}

}  // namespace

class LibreOfficeTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    // A stand-in office: records its arguments, one per line and a blank line after
    // each run, then writes an RTF file where the real one would.
    QString recordingOffice() {
        const QString office = path("office");
        QByteArray script = R"(printf '%s\n' "$@" >> LOG
echo >> LOG
while [ $# -gt 1 ]; do [ "$1" = --outdir ] && out="$2"; shift; done
name=$(basename "$1")
printf '{\\rtf1 made}' > "$out/${name%.*}.rtf"
)";
        script.replace("LOG", QByteArray("'" + path("arguments").toUtf8() + "'"));
        writeScript(office, script);
        return office;
    }
    QString document(const QString& name) {
        const QString file = path(name);
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write("a word document");
        return file;
    }

  private Q_SLOTS:
    void missingOfficeIsSaidSo() {
        const QString rtf = path("missing.rtf");
        LibreOfficeConverter converter(path("no-office-here"));
        QCOMPARE(converter.convertToRtf(document("合同.doc"), rtf).status,
                 ConversionResult::Missing);
        QVERIFY(!QFileInfo::exists(rtf));
    }

    // Every conversion is an office of its own, headless, with a fresh profile that is
    // gone afterwards; its copy lands at the path asked for, replacing what was there.
    void eachConversionIsAPrivateHeadlessOffice() {
        LibreOfficeConverter converter(recordingOffice());
        const QString doc = document("合同 第1版.doc");
        const QString rtf = path("copy.rtf");
        QFile stale(rtf);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("stale copy, longer than the new one");
        stale.close();

        QCOMPARE(converter.convertToRtf(doc, rtf).status, ConversionResult::Converted);
        QCOMPARE(fileBytes(rtf), QByteArray("{\\rtf1 made}"));
        QCOMPARE(converter.convertToRtf(doc, rtf).status, ConversionResult::Converted);
        QCOMPARE(fileBytes(doc), QByteArray("a word document"));

        const QList<QByteArray> runs = fileBytes(path("arguments")).split('\n');
        QStringList profiles;
        QList<QStringList> commandLines{{}};
        for (const QByteArray& line : runs) {
            if (line.isEmpty()) {
                commandLines << QStringList();
                continue;
            }
            commandLines.last() << QString::fromUtf8(line);
        }
        commandLines.removeAll(QStringList());
        QCOMPARE(commandLines.size(), 2);
        for (const QStringList& arguments : commandLines) {
            QVERIFY2(arguments.first().startsWith("-env:UserInstallation=file:///"),
                     qPrintable(arguments.join(' ')));
            profiles << arguments.first();
            QVERIFY(arguments.contains("--headless"));
            QCOMPARE(arguments.at(arguments.indexOf("--convert-to") + 1), QStringLiteral("rtf"));
            QCOMPARE(arguments.last(), doc);
            const QString profileFolder = QUrl(arguments.first().section('=', 1)).toLocalFile();
            QVERIFY2(!QFileInfo::exists(profileFolder), qPrintable(profileFolder));
        }
        QVERIFY(profiles[0] != profiles[1]);
    }

    void officeThatMakesNothingFails() {
        const QString office = path("failing-office");
        writeScript(office, "echo 'Error: source file could not be loaded'\n");
        const ConversionResult result =
            LibreOfficeConverter(office).convertToRtf(document("坏.doc"), path("坏.rtf"));
        QCOMPARE(result.status, ConversionResult::Failed);
        QVERIFY2(result.detail.contains("source file could not be loaded"),
                 qPrintable(result.detail));
        QVERIFY(!QFileInfo::exists(path("坏.rtf")));
    }

    // An office that does not finish in time is ended, with what it started; the program
    // went on handling its events meanwhile.
    void officeThatHangsIsEndedInTime() {
        const QString office = path("hanging-office");
        writeScript(office, "sleep 120 &\necho $! > '" + path("child").toUtf8() + "'\nsleep 120\n");
        int ticks = 0;
        QTimer painter;
        connect(&painter, &QTimer::timeout, [&] { ++ticks; });
        painter.start(20);
        QElapsedTimer clock;
        clock.start();

        const ConversionResult result =
            LibreOfficeConverter(office, 700).convertToRtf(document("慢.doc"), path("慢.rtf"));

        QCOMPARE(result.status, ConversionResult::Failed);
        QVERIFY2(result.detail.contains("超时"), qPrintable(result.detail));
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(ticks > 5);
        const qint64 child = fileBytes(path("child")).trimmed().toLongLong();
        QVERIFY(child > 0);
        QTRY_VERIFY(!isRunning(child));
        QVERIFY(!QFileInfo::exists(path("慢.rtf")));
    }
};

QTEST_GUILESS_MAIN(LibreOfficeTest)
#include "tst_libreoffice.moc"
