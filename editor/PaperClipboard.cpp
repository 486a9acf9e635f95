#include "editor/PaperClipboard.h"

#include <cstring>
#include <string_view>

#include "catalog/PaperCopies.h"
#include "text/StringLists.h"

namespace {

UINT PrivateFormat() {
    static const UINT format = RegisterClipboardFormatA("Quandrel.PaperCatalog.Papers");
    return format;
}

// The clipboard, open for as long as this lives.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        // Another program may hold it for a moment.
        for (int attempt = 0; attempt < 5 && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(20);
        }
    }
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// The bytes in movable global memory, as the clipboard takes them.
bool SetClipboardBytes(UINT format, const void* bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return false;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    if (!SetClipboardData(format, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

bool GetClipboardBytes(UINT format, std::string& bytes) {
    HANDLE memory = GetClipboardData(format);
    if (!memory) return false;
    const void* source = GlobalLock(memory);
    if (!source) return false;
    const char* text = static_cast<const char*>(source);
    const size_t size = GlobalSize(memory);
    bytes.assign(text, strnlen(text, size));
    GlobalUnlock(memory);
    return true;
}

}  // namespace

bool PutPapersOnClipboard(HWND owner, const std::vector<CPaperDef>& papers) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    const std::string packed = PackPapers(papers);
    // With its terminating NUL: the memory handed back may be larger than what was put in.
    return SetClipboardBytes(PrivateFormat(), packed.c_str(), packed.size() + 1);
}

bool ClipboardMayHoldPapers() {
    return IsClipboardFormatAvailable(PrivateFormat()) != FALSE;
}

bool ReadPapersFromClipboard(HWND owner, std::vector<CPaperDef>& papers, std::string& refusal) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen()) {
        refusal = InterfaceMessage(MSG_CLIPBOARD_FAILED);
        return false;
    }
    std::string bytes;
    if (IsClipboardFormatAvailable(PrivateFormat()) && GetClipboardBytes(PrivateFormat(), bytes) &&
        UnpackPapers(bytes, papers)) {
        return true;
    }
    refusal = InterfaceMessage(MSG_PASTE_NO_PAPER);
    return false;
}
