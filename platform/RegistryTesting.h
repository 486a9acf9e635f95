// Test hooks of the in-memory registry (native build only): emptying it, and
// making it fail in the ways the real registry can but a test cannot arrange.
// Paths and names are matched as the registry matches them, without regard to
// case. Every hook lasts until ResetMemoryRegistry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Removes every key and value and forgets every hook; keys still open answer
// kRegKeyDeleted from then on.
void ResetMemoryRegistry();

// OpenKeyForReading(path) answers `result` (kRegAccessDenied, say) and opens
// nothing, whether the key exists or not.
void FailOpenKey(const std::string& path, long result);

// CreateOrOpenKey(path) answers `result` and neither creates nor opens
// anything; ProbeKeyForWriting(path) answers `result` too.
void FailCreateKey(const std::string& path, long result);

// CreateOrOpenKey(path) creates or opens the key as usual but reports `disposition`.
void ReportCreateDisposition(const std::string& path, uint32_t disposition);

// DeleteValue of a value named `name` in the key at `path` answers
// kRegAccessDenied and leaves the value in place. The mark belongs to the key,
// which is created if it does not exist, and goes when the key is deleted.
void MakeValueUndeletable(const std::string& path, const std::string& name);

// The calls a test can make fail anywhere: setting a value (SetStringValue and
// SetRawValue), deleting one, enumerating one, reading a key's write mark.
enum class RegCall { Set, Delete, Enumerate, Mark };

// Calls of that kind numbered `first` to `first + count - 1`, counted from now
// (1 = the next one), answer `result` and change nothing. One hook per kind.
void FailRegistryCall(RegCall call, unsigned first, long result, unsigned count = 1);

// Runs `action` just before the call of that kind numbered `nth` (counted as
// above), as another program changing the registry at that moment would; 0
// forgets it. One action per kind.
void BeforeRegistryCall(RegCall call, unsigned nth, std::function<void()> action);

// How many calls of that kind were made since ResetMemoryRegistry.
unsigned RegistryCallCount(RegCall call);

}  // namespace platform
