#include "ThrowawayServer.h"

#include <libpq-fe.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QThread>

#include "AppError.h"
#include "ServerConnection.h"

ThrowawayServer& ThrowawayServer::instance() {
    static ThrowawayServer server;
    return server;
}

// The socket's path must fit in 107 bytes, so the folder sits directly in /tmp whatever
// TMPDIR says.
ThrowawayServer::ThrowawayServer() : folder_(QStringLiteral("/tmp/vpg-XXXXXX")) { start(); }

bool ThrowawayServer::run(const QString& program, const QStringList& arguments, QString* output) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The folder is not ours to enter as postgres: run from one every user may.
    process.setWorkingDirectory(QStringLiteral("/"));
    QStringList command = arguments;
    if (asPostgres_) {
        command.prepend(program);
        command.prepend(QStringLiteral("--"));
        command.prepend(QStringLiteral("postgres"));
        command.prepend(QStringLiteral("-u"));
        process.start(QStringLiteral("runuser"), command);
    } else {
        process.start(program, command);
    }
    const bool finished = process.waitForFinished(60000);
    if (output) *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void ThrowawayServer::start() {
    if (!folder_.isValid()) {
        problem_ = QStringLiteral("cannot make a folder in /tmp");
        return;
    }
    QProcess config;
    config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
    config.waitForFinished(10000);
    bin_ = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
    if (bin_.isEmpty() || !QFile::exists(bin_ + QStringLiteral("/initdb"))) {
        problem_ = QStringLiteral("no PostgreSQL server programs (pg_config --bindir gave '%1'); "
                                  "scripts/setup.sh installs them")
                       .arg(bin_);
        return;
    }
    if (geteuid() == 0) {
        if (!run(QStringLiteral("chown"), {QStringLiteral("postgres:"), folder_.path()})) {
            problem_ = QStringLiteral("cannot hand %1 to the postgres user").arg(folder_.path());
            return;
        }
        asPostgres_ = true;
    }
    const QString data = folder_.filePath(QStringLiteral("data"));
    const QString log = folder_.filePath(QStringLiteral("log"));
    QString output;
    if (!run(bin_ + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
              QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--locale-provider=icu"),
              QStringLiteral("--icu-locale=zh"), QStringLiteral("-N")},
             &output)) {
        problem_ = QStringLiteral("initdb failed: ") + output;
        return;
    }
    // setpriv drops to the postgres user and asks the kernel to send SIGQUIT (immediate
    // shutdown) should this program end without stopping the server.
    QStringList command = {QStringLiteral("--pdeathsig"), QStringLiteral("QUIT")};
    if (asPostgres_)
        command << QStringLiteral("--reuid=postgres") << QStringLiteral("--regid=postgres")
                << QStringLiteral("--init-groups");
    command << QStringLiteral("--") << bin_ + QStringLiteral("/postgres") << QStringLiteral("-D") << data
            << QStringLiteral("-k") << folder_.path() << QStringLiteral("-c") << QStringLiteral("listen_addresses=")
            << QStringLiteral("-c") << QStringLiteral("fsync=off") << QStringLiteral("-c")
            << QStringLiteral("full_page_writes=off");
    postmaster_.setWorkingDirectory(QStringLiteral("/"));
    postmaster_.setStandardOutputFile(log);
    postmaster_.setStandardErrorFile(log, QIODevice::Append);
    postmaster_.start(QStringLiteral("setpriv"), command);
    if (!postmaster_.waitForStarted(10000) || !waitUntilReady()) {
        problem_ = QStringLiteral("the server did not start: ") + this->log();
        postmaster_.kill();
        postmaster_.waitForFinished(5000);
    }
}

bool ThrowawayServer::waitUntilReady() {
    const QByteArray conninfo = connectionString().toUtf8();
    for (int attempt = 0; attempt < 1500; ++attempt) {
        if (PQping(conninfo.constData()) == PQPING_OK) return true;
        if (postmaster_.state() == QProcess::NotRunning) return false;
        QThread::msleep(20);
    }
    return false;
}

QString ThrowawayServer::log() const {
    QFile file(folder_.filePath(QStringLiteral("log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

ThrowawayServer::~ThrowawayServer() {
    if (postmaster_.state() == QProcess::NotRunning) return;
    // Fast shutdown: connections still open are closed, nothing is written to keep.
    ::kill(pid_t(postmaster_.processId()), SIGINT);
    if (!postmaster_.waitForFinished(10000)) {
        postmaster_.kill();
        postmaster_.waitForFinished(5000);
    }
}

QString ThrowawayServer::connectionString(const QString& database) const {
    return QStringLiteral("host=%1 dbname=%2 user=postgres").arg(folder_.path(), database);
}

QString ThrowawayServer::newDatabase() {
    if (!problem_.isEmpty()) throw AppError(QStringLiteral("测试用服务器未能启动"), problem_);
    const QString name = QStringLiteral("case_%1").arg(++databases_);
    ServerConnection(connectionString()).execute(QStringLiteral("create database ") + name);
    return name;
}

void ThrowawayServer::dropDatabase(const QString& name) {
    if (!problem_.isEmpty()) return;
    ServerConnection(connectionString()).execute(QStringLiteral("drop database if exists ") + name +
                                                 QStringLiteral(" with (force)"));
}
