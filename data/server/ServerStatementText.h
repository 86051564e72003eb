#pragma once

#include <QString>

// A statement of the program as the server must run it to answer as a contract file does.
// Two orders differ, and are made alike here, once:
// - The file's engine sorts empty values (null) before all others, the server after them:
//   the terms of a final "order by" get "nulls first" (ascending) or "nulls last"
//   (descending).
// - The file's engine returns the rows of one of our tables in the order of their keys
//   when the statement names no order and reads the whole table or one contract's rows
//   (an equality on conid), and the pages list ledgers, documents, scans and category
//   entries in that order; the server returns them as they lie on disk, which an edit
//   changes. A plain select from one table without an order gets "order by <key>". (A
//   range over an indexed column, which the program does not send, would come from the
//   file in that column's order instead.)
// Every other statement goes to the server unchanged.
QString serverStatementText(const QString& sql);
