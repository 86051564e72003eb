#pragma once

#include <QString>

// What a person typed to reach a server: either the parts of an address, or one text
// that libpq understands on its own (a service name from the service file, key=value
// pairs, or a postgresql:// URI). The password is only handed on for this connection.
struct ServerAddress {
    QString host;
    QString port;
    QString database;
    QString user;
    QString password;
    QString
        connection;  // service name or connection string; when given, the parts above are not used
};

// The libpq connection string for the address. Values are quoted as libpq reads them, so
// a space, quote or backslash in a password means itself; a password typed beside a
// connection string is added to it. sslmode is left to libpq ("prefer": TLS whenever the
// server offers it).
QString serverConnectionString(const ServerAddress& address);
