#pragma once

#include <QString>

class ServerConnection;

// What the window shows about the database it works on.

// Whether the connection may change the contracts: its role has the rights and the session
// is not read-only (a standby server, default_transaction_read_only). A clerk who may only
// read gets the program with its writing commands disabled.
bool serverAllowsWriting(ServerConnection& connection);

// The database and where it lives, for the window's caption: "contracts@db.lan", or
// "contracts@本机" for a server reached through a socket on this machine.
QString serverPlaceName(ServerConnection& connection);
