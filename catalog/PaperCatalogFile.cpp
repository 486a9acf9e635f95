// The catalog file (*.cat): a fixed first line and a comment banner, then one
// INI line per paper in section "Papers".

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
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
// Every value of a key exactly (a backup, the hand-off to the elevated
// companion), and what a key must hold for a hand-off to be written. Older
// backups held only the entries that are no papers, in "Registry Entries",
// which nothing reads.
constexpr const char* kValuesSection = "Registry Values";
constexpr const char* kExpectedSection = "Expected Registry Values";
// Room for any value a key holds, in hexadecimal.
constexpr size_t kHexLineCapacity = size_t{1} << 24;

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

std::string ToHex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    return text;
}

bool FromHex(std::string_view text, std::string& bytes) {
    if (text.size() % 2 != 0) return false;
    bytes.clear();
    bytes.reserve(text.size() / 2);
    const auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

// A section of values: "Count=N", then "Value_000=type,name,data" with name
// and data in hexadecimal, so that no name or data can end the line or look
// like a section.
std::string WithValues(std::string bytes, const char* section, const StoredKeyImage& values) {
    platform::ProfileWriter writer(bytes, section);
    writer.Add("Count", std::to_string(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        writer.Add(NumberedKey("Value", i),
                   std::to_string(values[i].Type) + ',' + ToHex(values[i].Name) + ',' + ToHex(values[i].Data));
    }
    return writer.Bytes();
}

// The section's values; none when it is not there or any line of it cannot
// be read (a file cut short, a line changed by hand): half an image is no image.
std::optional<StoredKeyImage> ReadValues(const platform::ProfileFile& file, const char* section, bool& broken) {
    if (!file.HasSection(section)) return std::nullopt;
    const std::string count = file.GetString(section, "Count", "", 32);
    if (count.empty() || count.size() > 9 || count.find_first_not_of("0123456789") != std::string::npos) {
        broken = true;
        return std::nullopt;
    }
    StoredKeyImage values;
    const size_t total = std::stoul(count);
    for (size_t i = 0; i < total; ++i) {
        const std::string line = file.GetString(section, NumberedKey("Value", i), "", kHexLineCapacity);
        const size_t first = line.find(',');
        const size_t second = first == std::string::npos ? first : line.find(',', first + 1);
        StoredValueImage value;
        if (second == std::string::npos || first == 0 || first > 10 ||
            line.substr(0, first).find_first_not_of("0123456789") != std::string::npos ||
            !FromHex(std::string_view(line).substr(first + 1, second - first - 1), value.Name) ||
            !FromHex(std::string_view(line).substr(second + 1), value.Data)) {
            broken = true;
            return std::nullopt;
        }
        value.Type = static_cast<uint32_t>(std::stoul(line.substr(0, first)));
        values.push_back(std::move(value));
    }
    return values;
}

}  // namespace

CatalogFile ReadCatalogFile(std::string_view bytes) {
    CatalogFile read;
    // Whether the file may be imported is the caller's question: the papers
    // are read as the profile functions would read them either way.
    read.recognised = bytes.substr(0, kFileHeader.size()) == kFileHeader;
    const platform::ProfileFile file = platform::ProfileFile::Parse(bytes);
    read.hasPapersSection = file.HasSection(kPapersSection);
    // Numbered from 000 upward; the first gap ends the list, and of a key
    // written twice the first counts, as the profile functions read it.
    std::string value;
    for (int number = 0; file.GetString(kPapersSection, PaperKey(number), "", kValueCapacity, value) != 0; ++number) {
        const auto pieces = SplitValue(value);
        CPaperDef paper;
        paper.Name = pieces[0];
        paper.Size = pieces[1];
        paper.Weight = pieces[2];
        paper.Color = pieces[3];
        paper.Type = pieces[4];
        // Only "T" forces: the file's writer writes "T" or "F".
        paper.ForceOneSided = pieces[5] == "T";
        paper.Position = number;
        read.papers.push_back(std::move(paper));
    }
    read.values = ReadValues(file, kValuesSection, read.valuesBroken);
    read.expectedGiven = file.HasSection(kExpectedSection);
    if (read.expectedGiven) {
        // "Any=1": the key may hold anything.
        if (file.GetString(kExpectedSection, "Any", "", 8) != "1") {
            read.expected = ReadValues(file, kExpectedSection, read.valuesBroken);
            if (!read.expected) read.valuesBroken = true;
        }
    }
    return read;
}

std::string CatalogFileBytes(const CPaperCatalog& catalog, const StoredKeyImage* values,
                             const std::optional<StoredKeyImage>* expected) {
    platform::ProfileWriter writer(HeaderAndBanner(GetLocalizedString(kMessageList, MSG_EXPORT_BANNER,
                                                                      AppState.CurrentLanguage)),
                                   kPapersSection);
    for (int index = 0; index < catalog.GetCount(); ++index) {
        const CPaperDef paper = catalog.GetPaper(index);
        const std::string value = paper.GetText(PA_NAME) + ',' + paper.GetText(PA_SIZE) + ',' +
                                  paper.GetText(PA_WEIGHT) + ',' + paper.GetText(PA_COLOR) + ',' +
                                  paper.GetText(PA_TYPE) + ',' +
                                  (paper.GetFlag(PA_FORCE_ONE_SIDED) ? 'T' : 'F');
        writer.Add(PaperKey(index), value);
    }
    std::string bytes = writer.Bytes();
    if (values) bytes = WithValues(std::move(bytes), kValuesSection, *values);
    if (expected) {
        if (*expected) {
            bytes = WithValues(std::move(bytes), kExpectedSection, **expected);
        } else {
            platform::ProfileWriter any(bytes, kExpectedSection);
            any.Add("Any", "1");
            bytes = any.Bytes();
        }
    }
    return bytes;
}

std::string AppendValuesSection(std::string bytes, const char* section, const StoredKeyImage& values) {
    return WithValues(std::move(bytes), section, values);
}

std::optional<StoredKeyImage> ReadValuesSection(std::string_view bytes, const char* section, bool& broken) {
    return ReadValues(platform::ProfileFile::Parse(bytes), section, broken);
}

std::string CPaperCatalog::ExportBytes() const { return CatalogFileBytes(*this, nullptr, nullptr); }

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
    const CatalogFile file = ReadCatalogFile(bytes);
    if (!file.recognised) return IMPORT_FILE_INCOMPATIBLE;
    if (!file.papers.empty()) return STORE_OK;
    return acceptEmpty && !file.hasPapersSection ? STORE_OK : IMPORT_FILE_INCOMPATIBLE;
}

void CPaperCatalog::ImportFromBytes(std::string_view bytes) {
    // On the new, empty catalog the import fills, the count is the entry's
    // number; on any other it keeps every Position equal to its index.
    for (const CPaperDef& paper : ReadCatalogFile(bytes).papers) {
        AddPaper(paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type, paper.ForceOneSided, GetCount());
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
