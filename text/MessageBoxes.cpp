// (being written)
#include "text/MessageBoxes.h"
int AskCompleteOperation(HWND) { return IDNO; }
int PromptSaveChanges(HWND) { return IDNO; }
void ReportInternalError(int, std::source_location) {}
void ReportSaveFailure(HWND, int16_t, std::source_location) {}
