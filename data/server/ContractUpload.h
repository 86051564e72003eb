#pragma once

#include "TransferProgress.h"

class ServerConnection;
struct sqlite3;

// Copies a contract file into an empty database on a server: makes our tables there,
// then copies the eight tables row for row and every stored file byte for byte, the files
// streamed a piece at a time so that memory stays flat whatever their size.
//
// All of it is one transaction on the server: a database that already holds our tables is
// refused with nothing written, and a copy that fails, is cancelled (TransferCancelled)
// or whose program dies on the way leaves the database as empty as it was. The file is
// only read.
void uploadContractFile(sqlite3* source, ServerConnection& target,
                        const TransferProgress& progress = {});
