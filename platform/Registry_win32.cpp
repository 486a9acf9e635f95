// The registry seam on Windows: HKEY_LOCAL_MACHINE through the ANSI functions.
#include <windows.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <string_view>

#include "platform/Registry.h"

namespace platform {

namespace {

HKEY ToHkey(const RegKey& key) { return static_cast<HKEY>(key.Handle()); }

// The C functions see a std::string up to its first zero byte; so does every
// check made here.
std::string AsCString(const std::string& text) { return std::string(text.c_str()); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Wide text in the code page of the ANSI functions, converted as they convert
// it (a character the code page lacks becomes its nearest likeness); `exact`,
// when given, tells whether that converts back to the same text.
std::string ToAnsi(const wchar_t* text, size_t length, bool* exact) {
    if (exact) *exact = true;
    if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max())) return {};
    const int wideLength = static_cast<int>(length);
    const int size = WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, wideLength, ansi.data(), size, nullptr, nullptr);
    if (exact) {
        const int back = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
        std::wstring again(static_cast<size_t>(back > 0 ? back : 0), L'\0');
        if (back > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, again.data(), back);
        *exact = again == std::wstring_view(text, length);
    }
    return ansi;
}

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
                                        KEY_READ | KEY_WRITE, nullptr, &opened, &reported);
    if (result == ERROR_SUCCESS) {
        key.Reset(opened);
        disposition = reported;
    }
    return result;
}

long ProbeKeyForWriting(const std::string& path) {
    std::string probed = AsCString(path);
    REGSAM wanted = KEY_READ | KEY_WRITE;
    for (;;) {
        HKEY opened = nullptr;
        const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, probed.c_str(), 0, wanted, &opened);
        if (result == ERROR_SUCCESS) RegCloseKey(opened);
        // HKEY_LOCAL_MACHINE itself ("") always exists.
        if (result != ERROR_FILE_NOT_FOUND || probed.empty()) return result;
        // Missing: the save would create it below the nearest key that exists.
        const size_t slash = probed.find_last_of('\\');
        probed = slash == std::string::npos ? std::string() : probed.substr(0, slash);
        wanted = KEY_CREATE_SUB_KEY;
    }
}

long EnumValue(const RegKey& key, uint32_t index, uint32_t nameCapacity, uint32_t dataCapacity, RegValue& value) {
    value = RegValue{};
    // The wide function, converted here as RegEnumValueA converts: only the
    // wide name tells whether the code page can hold it. A buffer of at least
    // one character even for a capacity of 0, so that the function answers
    // "does not fit" rather than writing through a null pointer.
    const auto name = std::make_unique_for_overwrite<wchar_t[]>(nameCapacity > 0 ? nameCapacity : 1);
    // Text arrives as UTF-16, two bytes for each byte of its ANSI form.
    const DWORD wideCapacity = static_cast<DWORD>(std::min<uint64_t>(uint64_t{dataCapacity} * 2, MAXDWORD));
    const auto data = std::make_unique_for_overwrite<BYTE[]>(dataCapacity > 0 ? wideCapacity : 1);
    DWORD nameLength = nameCapacity;
    DWORD dataLength = wideCapacity;
    DWORD type = REG_NONE;
    const LONG result = dataCapacity > 0
        ? RegEnumValueW(ToHkey(key), index, name.get(), &nameLength, nullptr, &type, data.get(), &dataLength)
        : RegEnumValueW(ToHkey(key), index, name.get(), &nameLength, nullptr, &type, nullptr, nullptr);
    if (result != ERROR_SUCCESS) return result;
    std::string bytes;
    if (dataCapacity > 0) {
        if (IsStringType(type)) {
            bytes = ToAnsi(reinterpret_cast<const wchar_t*>(data.get()), dataLength / sizeof(wchar_t), nullptr);
        } else {
            bytes.assign(reinterpret_cast<const char*>(data.get()), dataLength);
        }
        if (bytes.size() > dataCapacity) return ERROR_MORE_DATA;
    }
    bool exact = true;
    value.name = ToAnsi(name.get(), nameLength, &exact);
    if (value.name.size() >= nameCapacity) {
        value.name.clear();
        return ERROR_MORE_DATA;
    }
    value.exactName = exact;
    value.type = type;
    value.data = std::move(bytes);
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

long ReadKeyWriteMark(const RegKey& key, KeyWriteMark& mark) {
    FILETIME written{};
    const long result = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, &written);
    if (result != ERROR_SUCCESS) return result;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    // The registry stamps changes with the system time, which moves in steps
    // of about 16 ms: a mark younger than a few steps proves nothing.
    constexpr uint64_t kGranularity = 100 * 10000;  // 100 ms in 100 ns units
    mark.time = ticks(written);
    mark.settled = ticks(now) > mark.time && ticks(now) - mark.time > kGranularity;
    return kRegOk;
}

long FlushKey(const RegKey& key) { return RegFlushKey(ToHkey(key)); }

long DeleteKey(const std::string& path) {
    if (AsCString(path).find_first_not_of('\\') == std::string::npos) return kRegInvalid;
    return RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

long DeleteKeyTree(const std::string& path) {
    // Never the whole of HKEY_LOCAL_MACHINE, however the path spells it.
    if (AsCString(path).find_first_not_of('\\') == std::string::npos) return kRegInvalid;
    return RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
}

}  // namespace platform
