// (being written)
#include "text/Relabel.h"
void RelabelInterface() {}
void SetItemLabel(HWND, int, uint8_t, int16_t) {}
int16_t MeasureItemText(HWND) { return 0; }
