#pragma once

#include <QByteArray>
#include <QHash>

#include "ResultRows.h"
#include "ServerConnection.h"

// The rows of one statement on a server, read one at a time. Values read back as a
// contract file gives them: a double as text is written as the file's engine writes it
// (100.0, 0.3, 1.0e+20), a number read from text or a double read as an integer is
// converted as the file's engine converts it. Rows not read when the object goes away
// are dropped, and the connection is free again.
class ServerRows : public ResultRows {
public:
    ServerRows(ServerConnection& connection, const QString& sql);
    ~ServerRows() override;

    bool step() override;
    int columnIndex(const char* name) const override;
    bool isNull(int column) const override;
    qint64 int64(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;

private:
    QByteArray bytes(int column) const;

    ServerConnection& connection_;
    PgResult row_;
    mutable QHash<QByteArray, int> columns_;
};

// A double as the server writes it as text, "Infinity", "-Infinity" and "NaN" included.
double serverDouble(const QByteArray& text);
