#pragma once

#include <QString>
#include <functional>

// The engine's file system as a test needs it to fail: every file operation goes to the
// real one, but the disk can be made nearly full, and a commit can be caught at the moment
// it has written the file and not yet removed its journal. Installed as the engine's
// default, so the program's own connections use it too.
namespace faultyfs {

void install();

// From now on the files of every connection may grow by this many bytes in all; a write
// beyond that fails as on a full disk. Truncating or deleting a file gives its bytes back.
// A negative budget is an unlimited disk.
void setFreeSpace(qint64 bytes);

// Called with the journal's path just before the engine deletes a journal, that is, when
// the commit has written everything but is not yet complete. Empty to stop.
void onJournalDelete(std::function<void(const QString& journal)> hook);

}  // namespace faultyfs
