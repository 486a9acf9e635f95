// The registry seam on Windows: HKEY_LOCAL_MACHINE through the ANSI functions.
#include <windows.h>

#include <limits>
#include <vector>

#include "platform/Registry.h"

namespace platform {

namespace {

HKEY ToHkey(const RegKey& key) { return static_cast<HKEY>(key.Handle()); }

// The C functions see a std::string up to its first zero byte; so does every
// check made here.
std::string AsCString(const std::string& text) { return std::string(text.c_str()); }

long SetValue(const RegKey& key, const std::string& name, uint32_t type, const char* bytes, size_t size) {
    if (size > std::numeric_limits<DWORD>::max()) return kRegInvalid;
    return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes),
                          static_cast<DWORD>(size));
}

}  // namespace

void RegKey::Reset(void* handle) {
    if (handle_ != nullptr && handle_ != handle) RegCloseKey(static_cast<HKEY>(handle_));
    handle_ = handle;
}

long OpenKeyForReading(const std::string& path, RegKey& key) {
    key.Reset();
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &opened);
    if (result == ERROR_SUCCESS) key.Reset(opened);
    return result;
}

long CreateOrOpenKey(const std::string& path, RegKey& key, uint32_t& disposition) {
    key.Reset();
    disposition = 0;
    HKEY opened = nullptr;
    DWORD reported = 0;
    const LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &opened, &reported);
    if (result == ERROR_SUCCESS) {
        key.Reset(opened);
        disposition = reported;
    }
    return result;
}

long EnumValue(const RegKey& key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, RegValue& value) {
    value = RegValue{};
    // A buffer of at least one character even for a capacity of 0, so that the
    // function answers "does not fit" rather than writing through a null pointer.
    std::vector<char> name(nameCapacity > 0 ? nameCapacity : 1);
    std::vector<BYTE> data(dataCapacity);
    DWORD nameLength = nameCapacity;
    DWORD dataLength = dataCapacity;
    DWORD type = REG_NONE;
    const LONG result = dataCapacity > 0
        ? RegEnumValueA(ToHkey(key), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength)
        : RegEnumValueA(ToHkey(key), index, name.data(), &nameLength, nullptr, &type, nullptr, nullptr);
    if (result != ERROR_SUCCESS) return result;
    value.name.assign(name.data(), nameLength);
    value.type = type;
    if (dataCapacity > 0) value.data.assign(reinterpret_cast<const char*>(data.data()), dataLength);
    return result;
}

long SetStringValue(const RegKey& key, const std::string& name, const std::string& text) {
    return SetValue(key, name, REG_SZ, text.c_str(), text.size() + 1);
}

long SetRawValue(const RegKey& key, const std::string& name, uint32_t type, const std::string& bytes) {
    return SetValue(key, name, type, bytes.data(), bytes.size());
}

long DeleteValue(const RegKey& key, const std::string& name) {
    return RegDeleteValueA(ToHkey(key), name.c_str());
}

long DeleteKeyTree(const std::string& path) {
    // Never the whole of HKEY_LOCAL_MACHINE, however the path spells it.
    if (AsCString(path).find_first_not_of('\\') == std::string::npos) return kRegInvalid;
    return RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
}

}  // namespace platform
