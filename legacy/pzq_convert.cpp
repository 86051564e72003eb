// pzq-convert OLD NEW: converts a contract file of the earlier Windows program into a new
// contract file, as "打开合同文件" does in the window, for moving a whole office at once.
// Prints each table with its row count; on failure prints the reason and exits non-zero,
// leaving no new file. Ctrl-C cancels the same way.
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <csignal>

#include "LegacyConversion.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void interrupt(int) { interrupted = 1; }

class CommandLineProgress : public ConversionProgress {
  public:
    explicit CommandLineProgress(QTextStream& out) : out_(out) {}
    void report(const ConversionStatus&) override {}
    bool cancelRequested() override { return interrupted != 0; }
    void tableCopied(const QString& table, qint64 rows) override {
        out_ << table << ' ' << rows << Qt::endl;
    }

  private:
    QTextStream& out_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        err << QStringLiteral("用法：pzq-convert 旧版合同文件 新合同文件") << Qt::endl;
        return 2;
    }
    std::signal(SIGINT, interrupt);
    std::signal(SIGTERM, interrupt);

    // The template lies beside the program, as it does for the window.
    const QString templatePath =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("temp.mdb"));
    CommandLineProgress progress(out);
    try {
        convertLegacyContractFile(arguments[1], arguments[2], templatePath, progress);
    } catch (const AppError& error) {
        err << error.text() << Qt::endl;
        return 1;
    }
    return 0;
}
