#include <algorithm>

#include "platform/Registry.h"

namespace platform {

char FoldRegistryCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
    switch (u) {
    case 0x9A: return static_cast<char>(0x8A);  // s caron
    case 0x9C: return static_cast<char>(0x8C);  // oe
    case 0x9E: return static_cast<char>(0x8E);  // z caron
    case 0xFF: return static_cast<char>(0x9F);  // y diaeresis
    default: return c;
    }
}

std::string FoldRegistryName(const std::string& name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldRegistryCase);
    return folded;
}

}  // namespace platform
