#pragma once

// What the benchmark programs share: stopping on a broken set-up, a folder for their
// files, raw engine calls for filling large contract files fast, a desktop that asks nobody,
// the process's peak memory, and the run of the benchmarks inside a Qt application.

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QString>

#include "Desktop.h"

class QTemporaryDir;
class Tmainf;
struct sqlite3;
struct sqlite3_stmt;

namespace bench {

// Ends the program with "<program>: what detail" when its set-up cannot be made.
[[noreturn]] void fail(const char* what, const QString& detail = {});

// One temporary folder per program, removed when it ends.
QTemporaryDir& workFolder();
QString workPath(const QString& name);

// A fresh contract file at path, copied from the template; an existing file is an error.
void copyTemplate(const QString& templatePath, const QString& path);

// Raw engine calls for writing many rows quickly; every failure ends the program.
sqlite3* openRaw(const QString& path);
void exec(sqlite3* db, const char* sql);
sqlite3_stmt* prepare(sqlite3* db, const char* sql);
void step(sqlite3* db, sqlite3_stmt* statement);  // runs an insert, then resets it
void bindText(sqlite3_stmt* statement, int index, const QString& text);

// A desktop that asks nobody: it counts the message boxes and answers No, or, when
// strict, ends the program, since a message means the benchmark measures the wrong road.
class SilentDesktop : public Desktop {
  public:
    explicit SilentDesktop(bool strict = false) : strict_(strict) {}
    int messages = 0;
    // Questions are answered Yes, as by a clerk who confirms a deletion, and not counted.
    bool confirming = false;
    MessageAnswer showMessage(QWidget*, const MessageRequest& request) override;
    QString chooseFileToOpen(QWidget*, const FileDialogRequest&) override { return {}; }
    QString chooseFileToSave(QWidget*, const FileDialogRequest&) override { return {}; }
    QString chooseServer(QWidget*, const QString&) override { return {}; }
    bool shellOpen(const QUrl&) override { return false; }
    QDateTime now() const override { return QDateTime::currentDateTime(); }

  private:
    bool strict_;
};

// The process's peak resident memory from the moment this is made (Linux: VmHWM, reset
// through clear_refs).
class PeakMemory {
  public:
    PeakMemory();
    double peakMiB() const;   // the highest point since the start
    double risenMiB() const;  // how far that lies above the memory in use at the start

  private:
    double startKiB_ = 0;
};

// A copy of the template at `path` holding `contracts` contracts in two levels (top-level
// contracts with up to 99 sub-contracts each), each with `recordsPerLedger` payments and as
// many claims. The records are stored round by round over all contracts, so that a
// contract's records lie far apart in the file, as they do after years of use.
void makeContractsWithLedgers(const QString& templatePath, const QString& path, int contracts,
                              int recordsPerLedger);

// The window's whole selection of a contract, timed: 64 contracts spread over the tree
// (which must hold `contracts`), each selected in turn and the window's events run, the
// payment page in view. Their branches are opened beforehand, once, as a clerk clicks
// nodes in view.
void selectContractsInTurn(benchmark::State& state, Tmainf& window, int contracts);

// The process's resident memory now, in MiB.
double residentMiB();

enum class QtKind { Core, Gui, Widgets };

// Runs the benchmarks named on the command line inside a Qt application of the kind
// given; widgets and fonts use the offscreen platform unless another is set.
int runBenchmarks(int argc, char** argv, QtKind kind);

}  // namespace bench
