#pragma once

#include <QDate>
#include <QString>

// How values are written into statement text and read back. Every statement of the
// program is one text built from fixed fragments and these literals.
namespace sql {

// A character literal: the text between single quotes, each quote inside doubled.
// Line breaks stay as they are. A text the engine cannot take (see isStorableText) is
// refused with AppError before any statement is made of it.
QString textLiteral(const QString& text);

// The engine ends statement text at a NUL character, so a text holding one cannot be
// stored; the commands check their fields with this and name the field that holds it.
bool isStorableText(const QString& text);
// The message for a field whose text cannot be stored, naming the field by its caption.
QString unstorableTextMessage(const QString& fieldCaption);

// A date as a character literal in the file's date format, yyyy-MM-dd.
QString dateLiteral(const QDate& date);
QString dateText(const QDate& date);
// Reads a stored date back; a missing or unreadable value gives 1899-12-30, the zero date.
QDate parseStoredDate(const QString& text);

// Flags are the texts 'true' and 'false'; only the exact text "true" counts as set.
QString flagLiteral(bool set);
bool flagIsSet(const QString& stored);

// An amount typed by the user goes into the statement as typed, so this is the check
// that keeps typed input out of the SQL: an optional sign, digits with an optional
// decimal point (at least one digit), an optional exponent, and blanks around it.
// Nothing else passes, nor a number too large to be finite.
bool isAmountText(const QString& typed);

// An amount read back, in general format: up to 15 significant digits, no trailing
// zeros, no thousands separators, '.' as decimal point (1500, 2.5, 1e+20).
QString formatAmount(double value);

}  // namespace sql
