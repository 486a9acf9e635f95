#include "editor/PapersFileDialog.h"

#include <commdlg.h>

#include "catalog/CatalogMerge.h"
#include "editor/Relabel.h"
#include "media/JdfMedia.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "text/StringLists.h"

namespace {
constexpr const char* kCatalogExtension = "cat";
}  // namespace

fw::FileDialogRequest PapersFileRequest(bool save, DWORD* chosenFilter) {
    fw::FileDialogRequest request;
    request.save = save;
    // The catalog file's type first, then the spreadsheet's and JDF's, then the rest.
    const std::string catalogFilter = platform::LoadStringTableText(IDS_CATALOG_FILE_FILTER);
    const size_t first = catalogFilter.find('|');
    const size_t second = first == std::string::npos ? first : catalogFilter.find('|', first + 1);
    if (second == std::string::npos) {
        request.filter = catalogFilter;
    } else {
        request.filter = catalogFilter.substr(0, second + 1) + InterfaceLabel(LAB_CSV_FILE_TYPE) + "   (*.csv)|*.csv|" +
                         InterfaceLabel(LAB_JDF_FILE_TYPE) + "   (*.jdf)|*.jdf|" + catalogFilter.substr(second + 1);
    }
    // With a type chosen, the dialog adds that type's extension to a name typed without one.
    request.defaultExtension = kCatalogExtension;
    request.chosenFilter = chosenFilter;
    if (save) {
        request.initialName = platform::LoadStringTableText(IDS_DEFAULT_EXPORT_NAME);
        request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    } else {
        request.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    }
    return request;
}

bool ChosenTableFile(const std::string& path, DWORD chosenFilter) {
    if (IsTableFileName(path)) return true;
    if (path.size() >= 4 && platform::FoldRegistryName(path.substr(path.size() - 4)) == ".CAT") return false;
    if (IsJdfFileName(path)) return false;
    return chosenFilter == kCsvFilter;
}

bool ChosenJdfFile(const std::string& path, DWORD chosenFilter) {
    if (IsJdfFileName(path)) return true;
    if (IsTableFileName(path)) return false;
    if (path.size() >= 4 && platform::FoldRegistryName(path.substr(path.size() - 4)) == ".CAT") return false;
    return chosenFilter == kJdfFilter;
}
