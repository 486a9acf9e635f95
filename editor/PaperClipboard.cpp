#include "editor/PaperClipboard.h"

#include <cstring>
#include <string_view>

#include "catalog/PaperCopies.h"
#include "catalog/PaperTable.h"
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

// Code page 1252 as UTF-16, for the programs that read only Unicode text.
std::wstring WideFrom1252(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// UTF-16 as UTF-8 with its byte-order mark, so the reader takes it as UTF-8
// whatever it holds: a character code page 1252 lacks then refuses its row
// instead of turning into a question mark.
std::string Utf8WithMark(const wchar_t* text, size_t capacity) {
    const size_t length = wcsnlen(text, capacity);
    std::string utf8 = "\xEF\xBB\xBF";
    if (length == 0) return utf8;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return utf8;
    const size_t start = utf8.size();
    utf8.resize(start + static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data() + start, size, nullptr, nullptr);
    return utf8;
}

bool GetClipboardUnicodeText(std::string& utf8) {
    HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    if (!memory) return false;
    const auto* source = static_cast<const wchar_t*>(GlobalLock(memory));
    if (!source) return false;
    utf8 = Utf8WithMark(source, GlobalSize(memory) / sizeof(wchar_t));
    GlobalUnlock(memory);
    return true;
}

}  // namespace

bool PutPapersOnClipboard(HWND owner, const std::vector<CPaperDef>& papers) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    const std::string packed = PackPapers(papers);
    // Each with its terminating NUL: the memory handed back may be larger than what was put in.
    const std::string text = WritePaperTable(papers, '\t', TableEncoding::CodePage1252);
    const std::wstring wide = WideFrom1252(text);
    return SetClipboardBytes(PrivateFormat(), packed.c_str(), packed.size() + 1) &&
           SetClipboardBytes(CF_TEXT, text.c_str(), text.size() + 1) &&
           SetClipboardBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}

bool ClipboardMayHoldPapers() {
    return IsClipboardFormatAvailable(PrivateFormat()) || IsClipboardFormatAvailable(CF_UNICODETEXT) ||
           IsClipboardFormatAvailable(CF_TEXT);
}

bool ReadPapersFromClipboard(HWND owner, std::vector<CPaperDef>& papers, std::string& refusal) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen()) {
        refusal = InterfaceMessage(MSG_CLIPBOARD_FAILED);
        return false;
    }
    std::string bytes;
    PaperTableOptions options;
    options.allowRepeatedNames = true;  // Paste renames them as it renames clashes with the catalog
    if (IsClipboardFormatAvailable(PrivateFormat()) && GetClipboardBytes(PrivateFormat(), bytes) &&
        UnpackPapers(bytes, papers)) {
        // Any program may put this format there, and another PC's limits may
        // differ: the papers pass the rows' checks, and what is inserted is
        // what was checked (a size as the keyword it stands for, never "a4").
        options.codePage1252 = true;
        PaperTableRead check = ReadPaperTable(WritePaperTable(papers, '\t', TableEncoding::CodePage1252), options);
        if (check.ok()) {
            papers = std::move(check.papers);
            return true;
        }
        papers.clear();
        refusal = PaperTableRefusalMessage(check, TableUse::Paste);
        return false;
    }
    // Text: Unicode when offered (every program's text converts to it), else the code page's.
    bool haveText = false;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        haveText = GetClipboardUnicodeText(bytes);
    } else if (IsClipboardFormatAvailable(CF_TEXT)) {
        options.codePage1252 = true;
        haveText = GetClipboardBytes(CF_TEXT, bytes);
    }
    if (!haveText) {
        refusal = InterfaceMessage(MSG_PASTE_NO_PAPER);
        return false;
    }
    PaperTableRead read = ReadPaperTable(bytes, options);
    if (!read.ok()) {
        refusal = PaperTableRefusalMessage(read, TableUse::Paste);
        return false;
    }
    papers = std::move(read.papers);
    return true;
}
