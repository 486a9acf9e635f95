// The profile-file reader on arbitrary bytes: no crash, no hang, and a value
// never longer than its buffer allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const platform::ProfileFile file = platform::ProfileFile::Parse(bytes);
    for (const char* section : {"Papers", "I18N", "", "Windows NT"}) {
        for (const char* key : {"Paper_000", "Language", "", "k"}) {
            for (size_t capacity : {0u, 1u, 2u, 32u, 128u}) {
                std::string out;
                const size_t copied = file.GetString(section, key, "default", capacity, out);
                if (copied != out.size() || (capacity > 0 && out.size() > capacity - 1) || (capacity == 0 && !out.empty()))
                    std::abort();
            }
            file.GetInt(section, key, -7);
        }
        file.HasSection(section);
    }
    return 0;
}
