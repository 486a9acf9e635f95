// The catalog file (*.cat): a fixed first line and a comment banner, then one
// INI line per paper in section "Papers".

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "catalog/PaperCatalog.h"
#include "platform/FileReplace.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileWriter.h"
#include "platform/System.h"
#include "state/AppState.h"
#include "text/StringLists.h"

namespace {

constexpr std::string_view kFileHeader = "[Paper Catalog]";
constexpr const char* kPapersSection = "Papers";
// Registry entries that are no papers, kept in a backup.
constexpr const char* kKeptEntriesSection = "Registry Entries";

// What the file's reader sees of a value and of each of its six pieces: a
// 128-byte buffer, six 32-byte slots (terminating zeros included).
constexpr size_t kValueCapacity = 128;
constexpr size_t kPieceLimit = 31;
constexpr size_t kPieceCount = 6;

// "Paper_%03hd" up to 32,767; beyond it the full number, where a 16-bit
// conversion would wrap to "Paper_-32768" and the import would stop short.
// "Paper_000", "Entry_012": a key numbered with at least three digits.
std::string NumberedKey(const char* prefix, size_t index) {
    char key[40];
    std::snprintf(key, sizeof key, "%s_%03zu", prefix, index);
    return key;
}

std::string PaperKey(int index) { return NumberedKey("Paper", static_cast<size_t>(index)); }

// The first line and the banner, each line ending in CR LF; the banner is as
// wide as its text in the language of the moment.
std::string HeaderAndBanner(const std::string& banner) {
    std::string bannerLine = ";     ";
    bannerLine += banner;
    bannerLine += "     ;\r\n";
    // The rules are as wide as the banner line; the blank lines hold a semicolon at either end.
    const size_t width = bannerLine.size() - 2;
    std::string rule(width, ';');
    rule += "\r\n";
    std::string empty(width, ' ');
    empty.front() = ';';
    empty.back() = ';';
    empty += "\r\n";
    std::string file(kFileHeader);
    file += "\r\n";
    for (const std::string* line : {&rule, &empty, &bannerLine, &empty, &rule}) file += *line;
    return file;
}

// The value's pieces: the non-empty runs between commas (so a run of commas is
// one separator and commas at either end count for nothing). Only the first six
// are read, each cut to 31 bytes; missing pieces stay empty.
std::array<std::string, kPieceCount> SplitValue(std::string_view value) {
    std::array<std::string, kPieceCount> pieces;
    size_t count = 0;
    size_t start = 0;
    while (count < kPieceCount && start < value.size()) {
        size_t end = value.find(',', start);
        if (end == std::string_view::npos) end = value.size();
        if (end > start) pieces[count++] = std::string(value.substr(start, std::min(end - start, kPieceLimit)));
        start = end + 1;
    }
    return pieces;
}

}  // namespace

std::string CPaperCatalog::ExportBytes(const StoredKeyImage& kept) const {
    platform::ProfileWriter writer(HeaderAndBanner(GetLocalizedString(kMessageList, MSG_EXPORT_BANNER,
                                                                      AppState.CurrentLanguage)),
                                   kPapersSection);
    for (int index = 0; index < GetCount(); ++index) {
        const CPaperDef paper = GetPaper(index);
        const std::string value = paper.GetText(PA_NAME) + ',' + paper.GetText(PA_SIZE) + ',' +
                                  paper.GetText(PA_WEIGHT) + ',' + paper.GetText(PA_COLOR) + ',' +
                                  paper.GetText(PA_TYPE) + ',' +
                                  (paper.GetFlag(PA_FORCE_ONE_SIDED) ? 'T' : 'F');
        writer.Add(PaperKey(index), value);
    }
    if (kept.empty()) return writer.Bytes();
    // Hexadecimal, so that no name or data can end the line or look like a section.
    platform::ProfileWriter entries(writer.Bytes(), kKeptEntriesSection);
    const auto hex = [](const std::string& bytes) {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string text;
        text.reserve(bytes.size() * 2);
        for (unsigned char c : bytes) {
            text += kDigits[c >> 4];
            text += kDigits[c & 15];
        }
        return text;
    };
    for (size_t i = 0; i < kept.size(); ++i) {
        entries.Add(NumberedKey("Entry", i), std::to_string(kept[i].Type) + ',' + hex(kept[i].Name) + ',' + hex(kept[i].Data));
    }
    return entries.Bytes();
}

bool CPaperCatalog::ExportToFile(const std::string& path, StoreReport* report) const {
    platform::ReplaceFailure failure;
    const bool written = platform::WriteFileReplacing(path, ExportBytes(), &failure);
    if (report) {
        *report = StoreReport{};
        if (!written) {
            report->SystemError = failure.error;
            report->Kept = failure.kept;
        }
    }
    return written;
}

int16_t CPaperCatalog::CheckImportBytes(std::string_view bytes, bool acceptEmpty) const {
    if (bytes.substr(0, kFileHeader.size()) != kFileHeader) return IMPORT_FILE_INCOMPATIBLE;
    const platform::ProfileFile file = platform::ProfileFile::Parse(bytes);
    std::string value;
    if (file.GetString(kPapersSection, PaperKey(0), "", kValueCapacity, value) != 0) return STORE_OK;
    return acceptEmpty && !file.HasSection(kPapersSection) ? STORE_OK : IMPORT_FILE_INCOMPATIBLE;
}

void CPaperCatalog::ImportFromBytes(std::string_view bytes) {
    const platform::ProfileFile file = platform::ProfileFile::Parse(bytes);
    std::string value;
    for (int number = 0; file.GetString(kPapersSection, PaperKey(number), "", kValueCapacity, value) != 0; ++number) {
        const auto pieces = SplitValue(value);
        // On the new, empty catalog the import fills, the count is the entry's
        // number; on any other it keeps every Position equal to its index.
        AddPaper(pieces[0], pieces[1], pieces[2], pieces[3], pieces[4], pieces[5] == "T", GetCount());
    }
}

int16_t CPaperCatalog::CheckImportFile(const std::string& path, StoreReport* report) const {
    if (report) *report = StoreReport{};
    std::string bytes;
    // A file that cannot be read is told apart from one of another format.
    if (const long error = platform::ReadWholeFile(path, bytes); error != 0) {
        if (report) report->SystemError = error;
        return IMPORT_FILE_INCOMPATIBLE;
    }
    return CheckImportBytes(bytes);
}

void CPaperCatalog::ImportFromFile(const std::string& path) {
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) == 0) ImportFromBytes(bytes);
}
