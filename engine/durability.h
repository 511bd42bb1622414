#pragma once
// Whether every write is synced to disk before it returns (the default). Switching it off keeps
// writes atomic for the process (the journal still protects them against a killed process) but
// not against a power loss; tests that are not about durability use it to run fast.
namespace ravelda::engine {

void setSyncToDisk(bool on);
bool syncToDisk();

// While one is alive, the writes of this thread are not synced either. Only for private files that
// nobody else reads and that are worthless after a crash (the rows of a query result); the files
// of shared tables must never be written under it.
class UnsyncedWrites {
public:
    UnsyncedWrites();
    ~UnsyncedWrites();
    UnsyncedWrites(const UnsyncedWrites&) = delete;
    UnsyncedWrites& operator=(const UnsyncedWrites&) = delete;
};

// Test seam: called at two points of every write, "journaled" (the journal is on disk, the
// table untouched) and "partly-written" (about half of the changed ranges are written). A
// crash test ends the process there. nullptr (the default) calls nothing.
using WriteStageHook = void (*)(const char* stage);
void setWriteStageHook(WriteStageHook hook);
WriteStageHook writeStageHook();

} // namespace ravelda::engine
