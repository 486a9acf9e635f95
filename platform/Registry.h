// The registry seam: keys below HKEY_LOCAL_MACHINE, opened, enumerated and
// written with the same results on both sides. The Windows build uses the real
// registry (Registry_win32.cpp); the native build an in-memory registry
// (Registry_memory.cpp) that compares value names without regard to case and
// reports "does not fit" exactly as RegEnumValueA does.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace platform {

// Result codes, numerically those of the Win32 API.
enum : long {
    kRegOk = 0,            // ERROR_SUCCESS
    kRegNotFound = 2,      // ERROR_FILE_NOT_FOUND
    kRegAccessDenied = 5,  // ERROR_ACCESS_DENIED
    kRegInvalidHandle = 6, // ERROR_INVALID_HANDLE: the key is not open
    kRegInvalid = 87,      // ERROR_INVALID_PARAMETER
    kRegBadPathname = 161, // ERROR_BAD_PATHNAME: a path beginning with a backslash
    kRegMoreData = 234,    // ERROR_MORE_DATA: the name or the data does not fit
    kRegNoMoreItems = 259, // ERROR_NO_MORE_ITEMS
    kRegKeyDeleted = 1018, // ERROR_KEY_DELETED: the open key has been deleted since
};

// Value types, numerically those of the Win32 API.
enum : uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
};

// Creation dispositions of RegCreateKeyExA.
enum : uint32_t {
    kRegCreatedNewKey = 1,
    kRegOpenedExistingKey = 2,
};

// An open key. Move-only: exactly one owner closes it, on every way out.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(void* handle) : handle_(handle) {}
    RegKey(RegKey&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() { Reset(); }

    bool IsOpen() const { return handle_ != nullptr; }
    void* Handle() const { return handle_; }
    void Reset(void* handle = nullptr);

private:
    void* handle_ = nullptr;
};

// Names as the registry compares them: upper-cased as code page 1252 does,
// accented letters included, so that equal names fold to equal texts.
char FoldRegistryCase(char c);
std::string FoldRegistryName(const std::string& name);

// RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ). The key is open only
// when the result is kRegOk. Writing through it answers kRegAccessDenied. An
// empty path opens HKEY_LOCAL_MACHINE itself.
long OpenKeyForReading(const std::string& path, RegKey& key);

// RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, ..., KEY_READ | KEY_WRITE, ...);
// the disposition tells whether the key was created or already existed (0
// when the call fails). The key is open only when the result is kRegOk. Only
// the rights a save uses are asked for: a key whose rights give a group read,
// set value and create subkey, but not full control, can be saved into.
long CreateOrOpenKey(const std::string& path, RegKey& key, uint32_t& disposition);

// Whether this user may write the key, asked of the registry without writing:
// kRegOk when it may, kRegAccessDenied when it may not, another code when the
// question could not be answered. An existing key is opened with the rights
// CreateOrOpenKey asks for; a key that does not exist yet can be written when
// its nearest existing ancestor lets this user create keys below it, since the
// save creates it there.
long ProbeKeyForWriting(const std::string& path);

// The key can be written by nobody but an administrator, as far as the
// registry's answer goes (a question it cannot answer is no refusal).
inline bool KeyIsReadOnly(const std::string& path) { return ProbeKeyForWriting(path) == kRegAccessDenied; }

struct RegValue {
    std::string name;
    uint32_t type = kRegNone;
    std::string data;  // the raw bytes; for REG_SZ including the terminating zero as stored
    // False when the name holds characters the code page cannot hold: `name`
    // is then only the code page's likeness of it (the ANSI functions give
    // "PapO" for "Pap\u03A9"), and no function of this seam can reach the value by it.
    bool exactName = true;
};

// RegEnumValueA at `index` with a name buffer of `nameCapacity` characters
// (including the terminator) and a data buffer of `dataCapacity` bytes (the
// Windows side calls the wide function and converts as the ANSI one does, so
// that it can tell `exactName`). A
// `dataCapacity` of 0 asks for no data (name and type only). kRegMoreData when
// the name or the data does not fit; the index is not consumed by that. A name
// fits when it is shorter than `nameCapacity`. On any result but kRegOk
// `value` is left empty.
long EnumValue(const RegKey& key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, RegValue& value);

// RegSetValueExA with REG_SZ, the text's length plus one (the terminator).
long SetStringValue(const RegKey& key, const std::string& name, const std::string& text);

// RegSetValueExA with any type and raw bytes (tests use it to plant values).
// As on Windows, REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ bytes that do not end
// in a zero are stored with one appended.
long SetRawValue(const RegKey& key, const std::string& name, uint32_t type, const std::string& bytes);

// RegDeleteValueA.
long DeleteValue(const RegKey& key, const std::string& name);

// When the key's values last changed (RegQueryInfoKeyA's last write time, or
// a count of changes in memory). Two equal marks mean nothing was set or
// deleted between them, provided the first was `settled`: taken longer after
// the change it names than the clock's granularity, so that a change in the
// same tick cannot hide behind it.
struct KeyWriteMark {
    uint64_t time = 0;
    bool settled = false;
};
long ReadKeyWriteMark(const RegKey& key, KeyWriteMark& mark);

// RegFlushKey: the key's changes written to the disk before it returns.
long FlushKey(const RegKey& key);

// RegDeleteKeyA: removes a key and its values, refused (kRegAccessDenied)
// while it has sub-keys. A path naming HKEY_LOCAL_MACHINE itself is refused
// with kRegInvalid.
long DeleteKey(const std::string& path);

// Removes a key and everything below it (tests clean up with it). A path
// naming HKEY_LOCAL_MACHINE itself ("", "\\") is refused with kRegInvalid.
long DeleteKeyTree(const std::string& path);

}  // namespace platform
