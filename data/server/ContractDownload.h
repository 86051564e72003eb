#pragma once

#include <QString>

#include "TransferProgress.h"

class ServerConnection;

// Writes the contract database open on a server into a new contract file: a copy of the
// template beside `target` (in its folder, under a temporary name), filled with the eight
// tables row for row and every stored file byte for byte, streamed so that memory stays
// flat whatever their size. The server is read in one snapshot, so the file holds one
// moment of the database while other clerks go on writing.
//
// Returns the path of the complete file, which the caller renames onto the target. On
// any failure, or when cancelled (TransferCancelled), nothing is left beside the target
// and the target itself is never touched.
QString downloadContractFile(ServerConnection& source, const QString& templatePath,
                             const QString& target, const TransferProgress& progress = {});
