#pragma once

#include "AppError.h"

struct pg_conn;
struct pg_result;

// Turns a failure of the server into the program's error: a fixed Chinese headline chosen
// by the SQLSTATE (or by the connection's state when there is none), followed by the
// server's own message and detail.
AppError serverError(const pg_conn* connection, const pg_result* result);
// A connection that could not be made, naming what libpq said.
AppError connectionError(const pg_conn* connection);
