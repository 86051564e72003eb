#include "ServerAddress.h"

#include <QUrl>
#include <algorithm>

namespace {

QString quoted(const QString& value) {
    const bool plain = !value.isEmpty() && std::none_of(value.begin(), value.end(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char('\'') || c == QLatin1Char('\\');
    });
    if (plain) return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

void addPair(QString& text, const char* key, const QString& value) {
    if (value.isEmpty()) return;
    if (!text.isEmpty()) text += QLatin1Char(' ');
    text += QLatin1String(key) + QLatin1Char('=') + quoted(value);
}

bool isUri(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://"));
}

}  // namespace

QString serverConnectionString(const ServerAddress& address) {
    const QString connection = address.connection.trimmed();
    if (connection.isEmpty()) {
        QString text;
        addPair(text, "host", address.host.trimmed());
        addPair(text, "port", address.port.trimmed());
        addPair(text, "dbname", address.database.trimmed());
        addPair(text, "user", address.user.trimmed());
        addPair(text, "password", address.password);
        return text;
    }
    if (isUri(connection)) {
        if (address.password.isEmpty()) return connection;
        return connection +
               (connection.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) +
               QLatin1String("password=") +
               QString::fromLatin1(QUrl::toPercentEncoding(address.password));
    }
    // A single word is the name of a service in the service file.
    QString text = connection.contains(QLatin1Char('='))
                       ? connection
                       : QStringLiteral("service=") + quoted(connection);
    addPair(text, "password", address.password);
    return text;
}
