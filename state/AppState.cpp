#include "state/AppState.h"

AppStateRecord AppState;

AppStateRecord::AppStateRecord() = default;
AppStateRecord::~AppStateRecord() = default;

void AppStateRecord::Reset() {
    ResourceModule = nullptr;
    CurrentCatalog.reset();
    ProductName.clear();
    ConfigurationFile.clear();
    ConfigurationSection.clear();
    DefaultPaperName.clear();
    CurrentCatalogName.clear();
    SaveAsName.clear();
    CatalogLocations.clear();
    CurrentLanguage = 0;
    MinimumPaperWeight = 0;
    MaximumPaperWeight = 0;
    SizeChoiceCount = 0;
    WeightChoiceCount = 0;
    ColorChoiceCount = 0;
    TypeChoiceCount = 0;
    CatalogReadOnly = false;
    BackupFolder.clear();
    BackupKeep = 0;
    StoredCatalogImage.reset();
}
