#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of the test program's own: a fresh cluster in a short temporary
// folder, reached only through a socket there (no TCP port, so it never meets another
// server on the machine), started on first use and stopped when the program ends. The
// server runs as a child that the kernel stops when the test program dies, so a crashed
// or killed test leaves no server behind. The cluster sorts text by the ICU "zh" locale
// and skips fsync: its data is thrown away.
//
// When the program runs as root (as CI does), the server runs as the postgres user, since
// initdb refuses root; otherwise it runs as the calling user.
class ThrowawayServer {
public:
    // The one server of this program; started by the first call.
    static ThrowawayServer& instance();

    ~ThrowawayServer();
    ThrowawayServer(const ThrowawayServer&) = delete;
    ThrowawayServer& operator=(const ThrowawayServer&) = delete;

    // Empty when the server runs; otherwise what went wrong, with the server's log.
    const QString& problem() const { return problem_; }

    // A libpq connection string for a database of this server.
    QString connectionString(const QString& database = QStringLiteral("postgres")) const;
    // A new empty database (a copy of template1, about 0.05 s), and its name.
    QString newDatabase();
    void dropDatabase(const QString& name);

    QString socketFolder() const { return folder_.path(); }

private:
    ThrowawayServer();
    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr) const;
    void start();
    bool waitUntilReady();
    QString log() const;

    QTemporaryDir folder_;
    QProcess postmaster_;
    QString bin_;
    bool asPostgres_ = false;
    QString problem_;
    int databases_ = 0;
};
