#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

// The place of a contract in the hierarchy is its code: one 4-digit segment per level, a
// child's code being its parent's code followed by the child's own segment. Sibling
// numbers run from 1 to 9999; the commands hand out numbers from 2 upward.

namespace contractcode {

constexpr int kSegmentLength = 4;
constexpr int kLargestSibling = 9999;

}  // namespace contractcode

// The segment of sibling number n, zero-padded to four digits. A number outside 1..9999
// has no segment: a fifth digit would move every later segment of the code one place
// and break the hierarchy, so it throws AppError instead.
QString FormatCodeSegment(int n);

// True when code a sorts after code b: whole segments are compared from the left by
// their numeric value; a trailing part shorter than a segment is not compared. Segments
// that are not four digits come from outside the program; they sort after all numeric
// ones and among themselves by their text, so that a stray code never stops a load.
bool CodeSortsAfter(QStringView a, QStringView b);

// The tree's order: shorter codes first (parents before their children), codes of equal
// length by CodeSortsAfter. Equal codes compare equal, so a stable sort keeps their order.
bool CodeSortsBefore(QStringView a, QStringView b);

// The value of a four-digit segment, or nullopt for anything else.
std::optional<int> SegmentValue(QStringView segment);

// A code that can have children: made of whole segments and not empty. A child of any
// other code would not hang under it when the tree is next loaded.
bool IsWholeSegmentCode(QStringView code);

// The display order of two contracts: by CodeSortsBefore, then codes that compare equal
// there by their text, then by id. It is the load's order made total, so that a contract
// added to the tree later lands where a fresh load would place it.
bool NodeSortsBefore(QStringView codeA, qint64 idA, QStringView codeB, qint64 idB);

// For each code of `from`, the smallest code in use that is not smaller in text order, or
// nullopt: how the allocation below asks for the codes of a list or of the contract file
// alike, many at a time, as every question to a server is a round trip.
using NextCodesInUse =
    std::function<std::vector<std::optional<QString>>(const QStringList& from)>;

// The code for a new child of `prefix` (the empty prefix for the top level): the
// smallest sibling number from 2 upward whose code starts no code in use, so that
// neither an existing contract nor a branch whose parent row is missing is taken over.
// nullopt when every number up to 9999 is taken. Asks about the numbers in batches.
std::optional<QString> FirstFreeChildCode(const QString& prefix, const NextCodesInUse& next);
std::optional<QString> FirstFreeChildCode(const QString& prefix, const QStringList& codes);

// The largest top-level number in use, read from the first segment of every code so that
// a branch whose top-level row is missing still counts; 1 when there is none.
int LargestTopLevelNumber(const QStringList& codes);
