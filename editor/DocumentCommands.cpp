// (being written)
#include "editor/VellicorView.h"
void CVellicorView::OnFileNew() {}
void CVellicorView::OnFileOpen() {}
void CVellicorView::OnFileSave() {}
void CVellicorView::OnFileSaveAs() {}
void CVellicorView::OnFileImport() {}
void CVellicorView::OnFileExport() {}
void CVellicorView::OnUpdateFileSave(fw::CCmdUI&) {}
void CVellicorView::OnUpdateFileSaveAs(fw::CCmdUI&) {}
void StartNewCatalog(CVellicorView&) {}
int16_t OpenCatalogFromStore(const std::string&, const std::string&) { return 0; }
void UpdateMainWindowTitle() {}
void SetCatalogAvailable(const std::string&, bool) {}
int QueryCloseMainWindow(HWND) { return 6; }
