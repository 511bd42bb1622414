#pragma once
// Whether every write is synced to disk before it returns (the default). Switching it off keeps
// writes atomic for the process (the journal still protects them against a killed process) but
// not against a power loss; tests that are not about durability use it to run fast.
namespace ravelda::engine {

void setSyncToDisk(bool on);
bool syncToDisk();

} // namespace ravelda::engine
