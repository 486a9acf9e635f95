// Relabelling the menus and the editor form in the configured language, and
// fitting the controls, the form and the main window to the translated texts.
#pragma once

#include <windows.h>

#include <cstdint>

// Once at start-up, after the main frame and the form exist, before the
// window is first shown.
void RelabelInterface();

// Puts "LAB#" `labelId` (in CurrentLanguage, with `textFlags`) into the item
// `itemId` of `window`, or into `window` itself when `itemId` is 0. A missing
// item is ignored.
void SetItemLabel(HWND window, int itemId, uint8_t textFlags, int16_t labelId);

// Width in pixels of the control's text without "&", measured in an 8-point
// version of the control's font.
int16_t MeasureItemText(HWND control);
