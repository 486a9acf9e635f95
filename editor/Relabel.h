// Relabelling the editor form and its dialogs in the configured language, and
// fitting their controls to the translated texts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "StringIds.h"
#include <string>

// Labels the form's controls and fits its buttons, group boxes and the form
// itself to the texts. Returns how many pixels wider the form became, for the
// window that holds it.
int RelabelForm(HWND form);

// Puts "LAB#" `labelId` (in CurrentLanguage, with `textFlags`) into the item
// `itemId` of `window`, or into `window` itself when `itemId` is 0. A missing
// item is ignored.
void SetItemLabel(HWND window, int itemId, uint8_t textFlags, LabelId labelId);

// Width in pixels of the control's text without "&", measured in an 8-point
// version of the control's font.
int16_t MeasureItemText(HWND control);

// The scale a window is shown at, in dots per inch: its monitor's where the
// system scales per monitor (Windows 10 1607 and later), the system's otherwise.
unsigned WindowDpi(HWND window);

// The form moved to a monitor of scale `dpi`: every control's place and size
// and the form's font scaled from the scale it was laid out for, then the
// form fitted to its texts again. Returns how many pixels wider the form
// became than the scaled layout.
int ScaleFormToDpi(HWND form, unsigned dpi);

// Pixel width of `text` in the control's own font.
int TextWidth(HWND control, const std::string& text);

// Names `control` for screen readers by the text `label` shows, for a control
// that Windows cannot name by itself (no static text just before it in tab
// order). With `mnemonicReaches`, the label's mnemonic moves the focus to the
// control, so it is the control's keyboard shortcut too. Called again after
// every relabelling; a system that refuses the names costs nothing else.
void NameForScreenReaders(HWND control, HWND label, bool mnemonicReaches);
// Takes the names away again, before the control goes: the system keeps them
// by window handle, which a later window may be given.
void ForgetScreenReaderNames(HWND control);
