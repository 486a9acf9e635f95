#include "framework/Controls.h"

namespace fw {

std::string GetWindowTextString(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

namespace {
std::string LineText(HWND control, int line, UINT lengthMessage, UINT textMessage) {
    if (line < 0) return {};
    const LRESULT length = SendMessageA(control, lengthMessage, static_cast<WPARAM>(line), 0);
    if (length < 0) return {};  // LB_ERR and CB_ERR
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(control, textMessage, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}
}  // namespace

std::string GetListLineText(HWND list, int line) { return LineText(list, line, LB_GETTEXTLEN, LB_GETTEXT); }

std::string GetComboLineText(HWND combo, int line) { return LineText(combo, line, CB_GETLBTEXTLEN, CB_GETLBTEXT); }

RECT RectInParent(HWND child, HWND parent) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

HWND CComboBox::EditHandle() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd_, &info) && info.hwndItem) return info.hwndItem;
    return GetWindow(hwnd_, GW_CHILD);
}

}  // namespace fw
