#pragma once

#include <QString>

class ContractQuery;

// Whether an imported file becomes a new document of the contract, or the new content of
// the document that is current in the list.
enum class ImportMode { Add, Update };

// Writes an imported file into `httext` as one transaction, so that no row is ever left
// without its document or renamed over its old bytes:
// - mode Add, or a contract without documents: a new row with the next id;
// - mode Update: the row `currentId`, renamed to the file's name.
// The name, the document's bytes and its RTF copy are set in one statement, so the bytes
// a replaced document had are never read back into memory. Without an RTF copy (empty
// rtfPath) the row keeps none: a replaced document must not preview as the one before it.
// Returns the row's id.
qint64 storeDocumentRow(ContractQuery& query, qint64 contractId, qint64 currentId, ImportMode mode,
                        const QString& documentPath, const QString& rtfPath);
