#include "catalog/PaperCatalog.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "platform/Registry.h"
#include "state/AppState.h"

namespace {

// As the registry compares value names: accented letters of code page 1252
// too, so that "ÉCRU" and "écru" are one name, as the keyword form stores them.
bool SameRegistryName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (platform::FoldRegistryCase(a[i]) != platform::FoldRegistryCase(b[i])) return false;
    }
    return true;
}

}  // namespace

// A bad index gives an empty paper, as the other operations ignore one: no
// caller's slip may end the program.
CPaperDef CPaperCatalog::GetPaper(int index) const {
    if (index < 0 || index >= GetCount()) return CPaperDef();
    return papers_[static_cast<size_t>(index)];
}

void CPaperCatalog::AddPaper(const std::string& name, const std::string& size, const std::string& weight,
                             const std::string& color, const std::string& type, bool forceOneSided,
                             int32_t position) {
    papers_.emplace_back(name, size, weight, color, type, forceOneSided, position);
}

void CPaperCatalog::SetPaperAt(int index, const std::string& name, const std::string& size,
                               const std::string& weight, const std::string& color, const std::string& type,
                               bool forceOneSided) {
    // Storing past the end would leave empty elements between; the catalog never holds one.
    if (index < 0 || index > GetCount()) return;
    CPaperDef paper(name, size, weight, color, type, forceOneSided, index);
    if (index == GetCount()) {
        papers_.push_back(std::move(paper));
    } else {
        papers_[static_cast<size_t>(index)] = std::move(paper);
    }
}

void CPaperCatalog::ModifyPaper(const std::string& name, const std::string& size, const std::string& weight,
                                const std::string& color, const std::string& type, bool forceOneSided,
                                int index) {
    if (index < 0 || index >= GetCount()) return;
    CPaperDef& paper = papers_[static_cast<size_t>(index)];
    paper.Name = name;
    paper.Size = size;
    paper.Weight = weight;
    paper.Color = color;
    paper.Type = type;
    paper.ForceOneSided = forceOneSided;
}

void CPaperCatalog::RemovePaper(int index) {
    if (index < 0 || index >= GetCount()) return;
    papers_.erase(papers_.begin() + index);
    for (size_t i = static_cast<size_t>(index); i < papers_.size(); ++i) {
        papers_[i].Position = static_cast<int32_t>(i);
    }
}

void CPaperCatalog::MovePaper(bool down, int index) {
    if (index < 0 || index >= GetCount()) return;
    const int other = down ? index + 1 : index - 1;
    if (other < 0 || other >= GetCount()) return;
    std::swap(papers_[static_cast<size_t>(index)], papers_[static_cast<size_t>(other)]);
    papers_[static_cast<size_t>(index)].Position = index;
    papers_[static_cast<size_t>(other)].Position = other;
}

void CPaperCatalog::InsertPaperAt(int index, CPaperDef paper) {
    if (index < 0 || index > GetCount()) return;
    papers_.insert(papers_.begin() + index, std::move(paper));
    for (size_t i = static_cast<size_t>(index); i < papers_.size(); ++i) {
        papers_[i].Position = static_cast<int32_t>(i);
    }
}

void CPaperCatalog::AppendPapers(const std::vector<CPaperDef>& papers) {
    papers_.reserve(papers_.size() + papers.size());
    for (const CPaperDef& paper : papers) {
        papers_.push_back(paper);
        papers_.back().Position = static_cast<int32_t>(papers_.size() - 1);
    }
}

void CPaperCatalog::MovePaperTo(int from, int to) {
    if (from < 0 || from >= GetCount() || to < 0 || to >= GetCount() || from == to) return;
    const auto first = papers_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
    for (int i = std::min(from, to); i <= std::max(from, to); ++i) {
        papers_[static_cast<size_t>(i)].Position = i;
    }
}

void CPaperCatalog::ExchangePaper(int index, CPaperDef& paper) {
    if (index < 0 || index >= GetCount()) return;
    std::swap(papers_[static_cast<size_t>(index)], paper);
    papers_[static_cast<size_t>(index)].Position = index;
    paper.Position = index;
}

bool CPaperCatalog::ContainsName(const std::string& name) const {
    for (const CPaperDef& paper : papers_) {
        if (SameRegistryName(paper.Name, name)) return true;
    }
    return false;
}

void CatalogDeleter::operator()(CPaperCatalog* catalog) const { delete catalog; }

void BuildDefaultCatalog() {
    const CPaperDef paper = DefaultPaperFor(AppState.CurrentLanguage);
    auto catalog = std::make_unique<CPaperCatalog>();
    catalog->SetPaperAt(0, paper.Name, paper.Size, paper.Weight, paper.Color, paper.Type, paper.ForceOneSided);
    AppState.CurrentCatalog = std::move(catalog);
}

void FindCatalogLocation(const std::string& catalogName, std::string& registryPath, std::string& pdlName) {
    for (const CatalogLocation& location : AppState.CatalogLocations) {
        if (location.CatalogName == catalogName) {
            registryPath = location.RegistryPath;
            pdlName = location.PdlName;
            return;
        }
    }
}
