#pragma once

#include "AppError.h"

struct sqlite3;

// Turns an engine result code into the program's error: a fixed Chinese headline for
// each kind of engine error, followed by the engine's own message.
AppError engineError(int resultCode, const QString& engineMessage);
AppError engineError(sqlite3* db, int resultCode);
