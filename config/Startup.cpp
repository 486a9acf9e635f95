#include "config/Startup.h"

#include "config/Configuration.h"
#include "catalog/PaperCatalog.h"
#include "catalog/PaperDef.h"
#include "state/AppState.h"
#include "text/StringLists.h"

bool InitializeAppState() {
    const bool configured = ReadConfiguration();
    InitializeEditingState();
    return configured;
}

void InitializeEditingState() {

    AppState.CurrentCatalogName.clear();

    AppState.SizeChoiceCount = 9;
    AppState.WeightChoiceCount = 10;
    AppState.ColorChoiceCount = 7;
    AppState.TypeChoiceCount = 6;

    AppState.DefaultPaperName = DefaultPaperNameFor(AppState.CurrentLanguage);
    BuildDefaultCatalog();
}
