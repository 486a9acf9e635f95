#include "catalog/CatalogDifference.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <string_view>
#include <utility>

#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "platform/Registry.h"
#include "text/StringLists.h"
#include "text/TextFormat.h"

namespace {

struct CompareField {
    int attribute;
    int16_t labelId;  // the editor's own field label
};
const CompareField kCompareFields[] = {
    {PA_SIZE, LAB_SIZE}, {PA_COLOR, LAB_COLOR}, {PA_WEIGHT, LAB_WEIGHT}, {PA_TYPE, LAB_TYPE}, {PA_FORCE_ONE_SIDED, LAB_FORCE_ONE_SIDED},
};

std::string ShownValue(const CPaperDef& paper, int attribute, int16_t language) {
    if (attribute == PA_FORCE_ONE_SIDED) {
        return GetLocalizedString(kLabelList, paper.ForceOneSided ? LAB_YES : LAB_NO, language);
    }
    if (attribute == PA_SIZE) {
        // The size as the editor lists it; a keyword it does not know as stored.
        for (const PageSizeRow& row : PageSizeTable) {
            if (paper.Size == row.Keyword) return GetLocalizedString(kVocabularyList, row.LabelId, language);
        }
    }
    return paper.GetText(attribute);
}

std::string RawValue(const CPaperDef& paper, int attribute) {
    if (attribute == PA_FORCE_ONE_SIDED) return paper.ForceOneSided ? "T" : "F";
    return paper.GetText(attribute);
}

std::vector<FieldChange> ChangedFields(const CPaperDef& before, const CPaperDef& after) {
    std::vector<FieldChange> changes;
    for (const CompareField& field : kCompareFields) {
        std::string oldValue = RawValue(before, field.attribute);
        std::string newValue = RawValue(after, field.attribute);
        if (oldValue != newValue) changes.push_back({field.attribute, std::move(oldValue), std::move(newValue)});
    }
    return changes;
}

// Indices (into `sequence`) of one longest strictly increasing subsequence.
std::vector<size_t> LongestIncreasing(const std::vector<int>& sequence) {
    std::vector<size_t> tails;  // index of the smallest tail of each length
    std::vector<size_t> previous(sequence.size(), SIZE_MAX);
    for (size_t i = 0; i < sequence.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), sequence[i],
                                         [&sequence](size_t t, int value) { return sequence[t] < value; });
        if (at != tails.begin()) previous[i] = *(at - 1);
        if (at == tails.end()) {
            tails.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<size_t> result;
    for (size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = previous[i]) result.push_back(i);
    std::reverse(result.begin(), result.end());
    return result;
}

}  // namespace

std::vector<PaperDifference> CompareCatalogs(const CPaperCatalog& stored, const CPaperCatalog& edited) {
    std::vector<CPaperDef> before;
    std::vector<CPaperDef> after;
    for (int i = 0; i < stored.GetCount(); ++i) before.push_back(stored.GetPaper(i));
    for (int i = 0; i < edited.GetCount(); ++i) after.push_back(edited.GetPaper(i));

    // Stored positions by name, in order, so duplicates pair up in order.
    std::map<std::string, std::vector<int>> storedByName;
    for (int i = static_cast<int>(before.size()) - 1; i >= 0; --i) storedByName[before[i].Name].push_back(i);
    std::vector<int> match(after.size(), -1);  // edited index -> stored index
    std::vector<bool> matched(before.size(), false);
    for (size_t i = 0; i < after.size(); ++i) {
        auto found = storedByName.find(after[i].Name);
        if (found == storedByName.end() || found->second.empty()) continue;
        match[i] = found->second.back();
        found->second.pop_back();
        matched[static_cast<size_t>(match[i])] = true;
    }

    // The matched papers that keep their relative order stay; the others moved.
    std::vector<int> order;
    std::vector<size_t> orderIndex;
    for (size_t i = 0; i < after.size(); ++i) {
        if (match[i] < 0) continue;
        order.push_back(match[i]);
        orderIndex.push_back(i);
    }
    std::vector<bool> moved(after.size(), true);
    for (size_t k : LongestIncreasing(order)) moved[orderIndex[k]] = false;

    std::vector<PaperDifference> differences;
    for (size_t j = 0; j < before.size(); ++j) {
        if (!matched[j]) differences.push_back({PaperDifference::Removed, before[j].Name, static_cast<int>(j), -1, {}});
    }
    for (size_t i = 0; i < after.size(); ++i) {
        const int at = static_cast<int>(i);
        if (match[i] < 0) {
            differences.push_back({PaperDifference::Added, after[i].Name, -1, at, {}});
            continue;
        }
        const CPaperDef& old = before[static_cast<size_t>(match[i])];
        std::vector<FieldChange> changes = ChangedFields(old, after[i]);
        if (!changes.empty()) {
            differences.push_back({PaperDifference::Changed, after[i].Name, match[i], at, std::move(changes)});
        }
        if (moved[i]) differences.push_back({PaperDifference::Moved, after[i].Name, match[i], at, {}});
    }
    return differences;
}

int16_t CompareWithStore(const CPaperCatalog& edited, const std::string& registryPath, const std::string& pdlName,
                         std::vector<PaperDifference>& differences, long* systemError) {
    differences.clear();
    if (systemError) *systemError = 0;
    CPaperCatalog stored;
    StoreReport report;
    if (const int16_t result = stored.LoadFromRegistry(registryPath, pdlName, &report); result != STORE_OK) {
        if (report.SystemError != platform::kRegNotFound) {
            if (systemError) *systemError = report.SystemError;
            return result;
        }
        stored = CPaperCatalog();
    }

    // The edited papers as a save would store them and the load read them back,
    // so that what the stored form cannot hold is no difference.
    const bool descriptive = !IsKeywordForm(pdlName);
    CPaperCatalog saved;
    for (int i = 0; i < edited.GetCount(); ++i) {
        const CPaperDef paper = edited.GetPaper(i);
        std::string name;
        std::string data;
        if (descriptive) {
            paper.FormatDescriptiveValue(i, name, data);
        } else {
            paper.FormatKeywordValue(name, data);
        }
        const CPaperDef read = CPaperDef::FromStoredValue(name, data, pdlName);
        saved.AddPaper(read.Name, read.Size, read.Weight, read.Color, read.Type, read.ForceOneSided, i);
    }
    differences = CompareCatalogs(stored, saved);
    return STORE_OK;
}

std::string DescribeDifference(const PaperDifference& difference, int16_t language) {
    const std::string name = difference.name;
    const std::string from = std::to_string(difference.oldPosition + 1);
    const std::string to = std::to_string(difference.newPosition + 1);
    switch (difference.kind) {
        case PaperDifference::Added:
            return FormatText(GetLocalizedString(kMessageList, MSG_DIFFERENCE_ADDED, language), {name, to});
        case PaperDifference::Removed:
            return FormatText(GetLocalizedString(kMessageList, MSG_DIFFERENCE_REMOVED, language), {name, from});
        case PaperDifference::Moved:
            return FormatText(GetLocalizedString(kMessageList, MSG_DIFFERENCE_MOVED, language), {name, from, to});
        case PaperDifference::Changed: break;
    }
    std::string fields;
    for (const FieldChange& change : difference.changes) {
        CPaperDef old;
        CPaperDef now;
        if (change.attribute == PA_FORCE_ONE_SIDED) {
            old.ForceOneSided = change.oldValue == "T";
            now.ForceOneSided = change.newValue == "T";
        } else {
            old.SetText(change.attribute, change.oldValue);
            now.SetText(change.attribute, change.newValue);
        }
        const int16_t labelId =
            std::find_if(std::begin(kCompareFields), std::end(kCompareFields),
                         [&change](const CompareField& f) { return f.attribute == change.attribute; })
                ->labelId;
        if (!fields.empty()) fields += "; ";
        fields += GetLocalizedString(kLabelList, labelId, language, TF_NO_AMPERSAND | TF_NO_COLON) + " " +
                  ShownValue(old, change.attribute, language) + " -> " + ShownValue(now, change.attribute, language);
    }
    return FormatText(GetLocalizedString(kMessageList, MSG_DIFFERENCE_CHANGED, language), {name, fields});
}
