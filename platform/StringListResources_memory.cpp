#include <cstring>

#include "platform/StringListResources.h"
#include "platform/StringListTable.h"

namespace platform {

// Resource names and types compare without regard to case, as FindResourceA's do.
static bool SameResourceName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char ca = (*a >= 'a' && *a <= 'z') ? *a - 32 : *a;
        char cb = (*b >= 'a' && *b <= 'z') ? *b - 32 : *b;
        if (ca != cb) return false;
    }
    return *a == *b;
}

ResourceBytes FindStringListResource(void* /*module*/, const char* type, const char* name) {
    for (unsigned i = 0; i < kEmbeddedStringListCount; ++i) {
        const EmbeddedStringList& list = kEmbeddedStringLists[i];
        if (SameResourceName(list.type, type) && SameResourceName(list.name, name)) return {list.bytes, list.size};
    }
    return {};
}

void* OwnModule() { return nullptr; }

}  // namespace platform
