#pragma once

#include <QString>

// The rows of the statement the query object ran last, on whichever engine holds the
// data: a prepared statement of a contract file, or a statement streaming from a server.
// Columns are found by name, case-insensitively, as the engine names them.
class ResultRows {
public:
    virtual ~ResultRows() = default;

    // Moves to the next row; false at the end. Throws AppError on an engine error.
    virtual bool step() = 0;

    virtual int columnIndex(const char* name) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 int64(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QString text(int column) const = 0;
};
