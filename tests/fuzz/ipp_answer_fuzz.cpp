// Reading arbitrary bytes as a printer's answer: no crash, an answer is taken
// whole or refused whole with its reason, what is taken keeps IPP's lengths,
// and a cut-short copy of a taken answer never gives other media.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "catalog/PaperRules.h"
#include "media/IppMessage.h"
#include "media/MediaFetch.h"
#include "state/AppState.h"

namespace {

bool SameMedia(const std::vector<PrinterMedia>& a, const std::vector<PrinterMedia>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].key != b[i].key || a[i].width != b[i].width || a[i].height != b[i].height ||
            a[i].weight != b[i].weight || a[i].color != b[i].color || a[i].type != b[i].type || a[i].ready != b[i].ready)
            return false;
    }
    return true;
}

void CheckRefused(const IppMediaAnswer& answer) {
    if (!answer.media.empty()) std::abort();
    if ((answer.fault == MediaFetchFault::WrongSyntax) == answer.attribute.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AppState.SizeChoiceCount = 9;
    AppState.CurrentLanguage = 1;
    AppState.MinimumPaperWeight = 60;
    AppState.MaximumPaperWeight = 200;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IppMediaAnswer answer = DecodeMediaAnswer(bytes);
    if (!answer.ok()) {
        CheckRefused(answer);
        return 0;
    }
    // The database in order, then the ready media it lacks.
    if (answer.media.empty() || answer.media.size() < answer.databaseCount ||
        answer.media.size() > answer.databaseCount + answer.readyCount || answer.media.size() > 2 * kMaxIppMedia)
        std::abort();
    for (size_t i = 0; i < answer.media.size(); ++i) {
        const PrinterMedia& m = answer.media[i];
        if (m.name.size() > kMaxIppText || m.key.size() > kMaxIppName || m.color.size() > kMaxIppName ||
            m.type.size() > kMaxIppName)
            std::abort();
        if (i >= answer.databaseCount && !m.ready) std::abort();
    }
    if (answer.readyCount > 0 && answer.media.size() > 0) {
        bool anyReady = false;
        for (const PrinterMedia& m : answer.media) anyReady = anyReady || m.ready;
        if (!anyReady) std::abort();
    }

    // A cut-short copy is refused, or (when the cut falls after the end of the
    // attributes) reads the same.
    const IppMediaAnswer cut = DecodeMediaAnswer(bytes.substr(0, size / 2));
    if (cut.ok() ? !SameMedia(cut.media, answer.media) : !cut.media.empty()) std::abort();

    // Every media becomes a paper the form takes, or is refused with a reason.
    std::vector<FetchedMedia> fetched;
    MapFetchedMedia(answer.media, 1, fetched);
    if (fetched.size() != answer.media.size()) std::abort();
    for (const FetchedMedia& one : fetched) {
        if (one.duplicate && one.paper.refusal != MediaRefusal::SameName) std::abort();
        if (!one.paper.ok()) continue;
        const CPaperDef& paper = one.paper.paper;
        if (CheckCompleteField(PA_NAME, paper.Name, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_WEIGHT, paper.Weight, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_COLOR, paper.Color, nullptr, Blanks::Inside) != FieldFault::FieldOk ||
            CheckCompleteField(PA_TYPE, paper.Type, nullptr, Blanks::Inside) != FieldFault::FieldOk || paper.Size.empty())
            std::abort();
    }
    return 0;
}
