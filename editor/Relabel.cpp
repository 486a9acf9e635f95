#include "editor/Relabel.h"

#include <string>

#include "platform/OwnedHandles_win32.h"
#include "framework/Controls.h"
#include "platform/Accessibility.h"
#include "resources/resource.h"
#include "state/AppState.h"
#include "text/AccessibleNames.h"
#include "text/StringLists.h"

namespace {

// Added to the widest button text so the text never touches the button's edges.
constexpr int kButtonTextMargin = 20;
constexpr int kDefaultDpi = 96;
// The window property that remembers the scale the form is laid out for.
constexpr const char* kFormDpiProperty = "Quandrel.FormDpi";
constexpr int kMeasuringPointSize = 8;
constexpr int kLabelCapacity = 256;
// The measured text is read into this many bytes (63 characters and the terminator).
constexpr int kMeasuredTextCapacity = 64;

struct FormLabel {
    int controlId;
    LabelId labelId;
};

const FormLabel kFormLabels[] = {
    {IDC_PAPERS_GROUP, LAB_PAPERS_GROUP}, {IDC_MOVE_UP, LAB_MOVE_UP},         {IDC_MOVE_DOWN, LAB_MOVE_DOWN},   {IDC_DELETE, LAB_DELETE},
    {IDC_DEFINITION_GROUP, LAB_DEFINITION_GROUP}, {IDC_NAME_LABEL, LAB_PAPER},  {IDC_SIZE_LABEL, LAB_SIZE},  {IDC_COLOR_LABEL, LAB_COLOR},
    {IDC_WEIGHT_LABEL, LAB_WEIGHT},  {IDC_TYPE_LABEL, LAB_TYPE},      {IDC_FORCE_ONE_SIDED, LAB_FORCE_ONE_SIDED}, {IDC_ADD, LAB_ADD},
    {IDC_MODIFY, LAB_MODIFY},
};

// The buttons that share one width, the widest text's.
const int kFittedButtons[] = {IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_DELETE, IDC_ADD, IDC_MODIFY};
const int kFittedGroups[] = {IDC_PAPERS_GROUP, IDC_DEFINITION_GROUP};

using platform::WindowDC;

// A font selected into a device context for as long as it lives, then
// deselected and deleted.
class SelectedFont {
public:
    SelectedFont(HDC dc, const LOGFONTA& description) : dc_(dc), font_(CreateFontIndirectA(&description)) {
        if (font_) previous_ = SelectObject(dc_, font_);
    }
    ~SelectedFont() {
        if (!font_) return;
        SelectObject(dc_, previous_);
        DeleteObject(font_);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ previous_ = nullptr;
};

// The scale the form recorded it is laid out for; 0 when it recorded none.
int RecordedDpi(HWND form) { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(form, kFormDpiProperty))); }

// The scale the window's controls are laid out for: the form's own record of
// it, otherwise the window's.
int LayoutDpi(HWND window) {
    const int laidOut = RecordedDpi(window);
    return laidOut > 0 ? laidOut : static_cast<int>(WindowDpi(window));
}

// Gives the five buttons the width of the widest text, and carries the change
// over to the group boxes and the form. Returns how much wider the form became.
int FitForm(HWND form) {
    int16_t largest = -1;
    for (int id : kFittedButtons) {
        if (HWND button = GetDlgItem(form, id)) {
            const int16_t width = MeasureItemText(button);
            if (width > largest) largest = width;
        }
    }
    const auto buttonWidth = static_cast<int16_t>(largest + kButtonTextMargin);

    // Every other width follows the change of the first button's.
    HWND reference = GetDlgItem(form, IDC_MOVE_UP);
    if (!reference) return 0;
    const RECT referenceRect = fw::RectInParent(reference, form);
    const int change = buttonWidth - (referenceRect.right - referenceRect.left);

    for (int id : kFittedButtons) {
        if (HWND button = GetDlgItem(form, id)) {
            const RECT rect = fw::RectInParent(button, form);
            MoveWindow(button, rect.left, rect.top, buttonWidth, rect.bottom - rect.top, FALSE);
        }
    }
    for (int id : kFittedGroups) {
        if (HWND group = GetDlgItem(form, id)) {
            const RECT rect = fw::RectInParent(group, form);
            MoveWindow(group, rect.left, rect.top, rect.right - rect.left + change, rect.bottom - rect.top, FALSE);
        }
    }

    HWND papersGroup = GetDlgItem(form, IDC_PAPERS_GROUP);
    if (!papersGroup) return 0;
    RECT groupRect{};
    GetWindowRect(papersGroup, &groupRect);
    RECT formRect{};
    GetWindowRect(form, &formRect);
    RECT formClient{};
    GetClientRect(form, &formClient);
    const int margin = groupRect.left - formRect.left;
    const int formClientWidth = (groupRect.right - groupRect.left) + 2 * margin - GetSystemMetrics(SM_CXFRAME);
    const int growth = formClientWidth - formClient.right;

    // The form's own border lies outside the client width just computed.
    const int borderWidth = (formRect.right - formRect.left) - formClient.right;
    const int borderHeight = (formRect.bottom - formRect.top) - formClient.bottom;
    MoveWindow(form, 0, 0, formClientWidth + borderWidth, formClient.bottom + borderHeight, TRUE);
    return growth;
}

}  // namespace

void SetItemLabel(HWND window, int itemId, uint8_t textFlags, LabelId labelId) {
    HWND target = itemId != 0 ? GetDlgItem(window, itemId) : window;
    if (!target) return;
    char label[kLabelCapacity];
    GetLocalizedString(kLabelList, labelId, AppState.CurrentLanguage, label, sizeof label, textFlags);
    SetWindowTextA(target, label);
}

// Measured in an 8-point version of the control's own font at the display's
// resolution, whatever the font's size: the same text then gets the same
// width in every dialog that fits its buttons.
int16_t MeasureItemText(HWND control) {
    WindowDC dc(control);
    if (!dc.get()) return 0;
    const int pixelHeight = MulDiv(kMeasuringPointSize, LayoutDpi(GetParent(control)), 72);

    char buffer[kMeasuredTextCapacity];
    const int length = GetWindowTextA(control, buffer, sizeof buffer);
    std::string text(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    ApplyTextFlags(text, TF_NO_AMPERSAND);

    HFONT font = fw::CWindow(control).GetFont();
    // A control without a font of its own draws with the system font.
    if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    LOGFONTA description{};
    GetObjectA(font, sizeof description, &description);
    description.lfHeight = -pixelHeight;

    SIZE extent{};
    {
        SelectedFont measuring(dc.get(), description);
        GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &extent);
    }
    return static_cast<int16_t>(extent.cx);
}

int RelabelForm(HWND form) {
    for (const FormLabel& entry : kFormLabels) SetItemLabel(form, entry.controlId, 0, entry.labelId);
    // The paper list follows its group box, which is no label to the system;
    // the group box's mnemonic, should it have one, reaches the list.
    NameForScreenReaders(GetDlgItem(form, IDC_PAPER_LIST), GetDlgItem(form, IDC_PAPERS_GROUP), true);
    SetPropA(form, kFormDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(WindowDpi(form))));
    return FitForm(form);
}

unsigned WindowDpi(HWND window) {
    // Looked up, since Windows 7 and 8 lack it.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    WindowDC dc(nullptr);
    const int dpi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

int ScaleFormToDpi(HWND form, unsigned dpi) {
    const int laidOut = RecordedDpi(form);
    const int from = laidOut > 0 ? laidOut : kDefaultDpi;
    const int to = static_cast<int>(dpi);
    if (to <= 0 || to == from) return 0;
    const auto scale = [from, to](LONG value) { return MulDiv(value, to, from); };

    // The same face at the new scale; the previous one made here goes once
    // nothing uses it any more.
    static HFONT madeFont = nullptr;
    LOGFONTA description{};
    // The controls' font: a dialog need not take a new font of its own.
    HWND first = GetWindow(form, GW_CHILD);
    HFONT current = first ? fw::CWindow(first).GetFont() : nullptr;
    if (!current) current = fw::CWindow(form).GetFont();
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectA(current, sizeof description, &description);
    description.lfHeight = scale(description.lfHeight);
    description.lfWidth = scale(description.lfWidth);
    HFONT font = CreateFontIndirectA(&description);

    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = fw::RectInParent(child, form);
        // A drop-down combo box's height includes its list.
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "ComboBox") == 0) {
            RECT dropped{};
            if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
                rect.bottom = rect.top + (dropped.bottom - dropped.top);
            }
        }
        if (font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        MoveWindow(child, scale(rect.left), scale(rect.top), scale(rect.right) - scale(rect.left),
                   scale(rect.bottom) - scale(rect.top), FALSE);
    }
    if (font) {
        SendMessageA(form, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (madeFont) DeleteObject(madeFont);
        madeFont = font;
    }
    RECT formRect{};
    GetWindowRect(form, &formRect);
    MoveWindow(form, 0, 0, scale(formRect.right - formRect.left), scale(formRect.bottom - formRect.top), FALSE);
    SetPropA(form, kFormDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(to)));
    const int growth = FitForm(form);
    InvalidateRect(form, nullptr, TRUE);
    return growth;
}

int TextWidth(HWND control, const std::string& text) {
    const WindowDC dc(control);
    if (!dc.get()) return 0;
    HGDIOBJ previous = SelectObject(dc.get(), fw::CWindow(control).GetFont());
    SIZE extent{};
    GetTextExtentPoint32A(dc.get(), text.data(), static_cast<int>(text.size()), &extent);
    SelectObject(dc.get(), previous);
    return extent.cx;
}

void NameForScreenReaders(HWND control, HWND label, bool mnemonicReaches) {
    if (!control || !label) return;
    const AccessibleTexts texts = AccessibleTextsOfLabel(fw::GetWindowTextString(label));
    platform::AnnotateWindow(control, platform::AccessibleProperty::Name, texts.name);
    platform::AnnotateWindow(control, platform::AccessibleProperty::KeyboardShortcut,
                             mnemonicReaches ? texts.shortcut : std::string());
}

void ForgetScreenReaderNames(HWND control) {
    if (!control) return;
    platform::AnnotateWindow(control, platform::AccessibleProperty::Name, "");
    platform::AnnotateWindow(control, platform::AccessibleProperty::KeyboardShortcut, "");
}
