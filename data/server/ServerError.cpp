#include "ServerError.h"

#include <libpq-fe.h>

namespace {

QString headlineFor(const QByteArray& state) {
    const QByteArray kind = state.left(2);
    if (state == "55P03" || state == "40P01" || state == "57014")
        return QStringLiteral("数据正被其他用户使用，请稍后再试");
    if (state == "40001") return QStringLiteral("数据已被其他用户同时修改，请重试");
    if (state == "42501") return QStringLiteral("没有权限执行此操作（服务器拒绝）");
    if (state == "25006") return QStringLiteral("当前连接只允许读取，不能修改数据");
    if (state == "25P02") return QStringLiteral("本次操作中前面的语句已出错，操作未能完成");
    if (kind == "08" || state == "57P01" || state == "57P02" || state == "57P03")
        return QStringLiteral("与服务器的连接已断开");
    if (kind == "23") return QStringLiteral("数据违反了数据库的约束");
    if (kind == "22") return QStringLiteral("数据不符合要求");
    if (kind == "53") return QStringLiteral("服务器资源不足，数据未能写入");
    if (kind == "28") return QStringLiteral("服务器拒绝了登录");
    if (kind == "3D") return QStringLiteral("服务器上没有这个数据库");
    return QStringLiteral("数据库语句执行出错");
}

QString fromServer(const char* text) { return QString::fromUtf8(text ? text : "").trimmed(); }

}  // namespace

AppError serverError(const pg_conn* connection, const pg_result* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    QString message = result ? fromServer(PQresultErrorMessage(result)) : QString();
    if (message.isEmpty()) message = fromServer(PQerrorMessage(connection));
    // The same words as the file's engine uses for a statement with a second one after it.
    if (message.contains(QLatin1String("cannot insert multiple commands")))
        return AppError(QStringLiteral("数据库语句执行出错"), QStringLiteral("只能执行单条语句（") + message + QStringLiteral("）"));
    if (!state) {
        // No answer from the server at all: the connection went away under the statement.
        if (PQstatus(connection) == CONNECTION_BAD)
            return AppError(QStringLiteral("与服务器的连接已断开"), message);
        return AppError(QStringLiteral("数据库语句执行出错"), message);
    }
    // The primary message is in the full one already; the detail (which row, which key)
    // is often what tells a clerk what to change.
    const QString detail = fromServer(PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL));
    if (!detail.isEmpty() && !message.contains(detail)) message += QLatin1Char(' ') + detail;
    return AppError(headlineFor(QByteArray(state)), message);
}

AppError connectionError(const pg_conn* connection) {
    const QString message = connection ? fromServer(PQerrorMessage(connection))
                                       : QStringLiteral("内存不足");
    if (message.contains(QLatin1String("password authentication failed")) ||
        message.contains(QLatin1String("no password supplied")) ||
        message.contains(QLatin1String("no pg_hba.conf entry")) ||
        message.contains(QLatin1String("role \"")))
        return AppError(QStringLiteral("服务器拒绝了登录，请检查用户名和密码"), message);
    if (message.contains(QLatin1String("database \"")) && message.contains(QLatin1String("does not exist")))
        return AppError(QStringLiteral("服务器上没有这个数据库"), message);
    if (message.contains(QLatin1String("invalid")) || message.contains(QLatin1String("missing")) ||
        message.contains(QLatin1String("service file")) || message.contains(QLatin1String("definition of service")))
        return AppError(QStringLiteral("服务器连接设置有误"), message);
    return AppError(QStringLiteral("无法连接到服务器"), message);
}
