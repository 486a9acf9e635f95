#include <windows.h>
// The property and class ids are defined here, in the one file that uses them.
#include <initguid.h>
#include <oleacc.h>

#include <string>

#include "platform/Accessibility.h"

namespace platform {
namespace detail {
void RememberAnnotation(void* window, AccessibleProperty property, const std::string& text);
}  // namespace detail

namespace {

// COM for the length of one request, when the thread has none yet; a thread
// that has it in another mode keeps it, which serves as well.
class ComForCall {
public:
    ComForCall() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComForCall() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

private:
    HRESULT result_;
};

// The text as the control shows it: the program speaks the system code page.
std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace

bool AnnotateWindow(void* window, AccessibleProperty property, const std::string& text) {
    detail::RememberAnnotation(window, property, text);
    HWND hwnd = static_cast<HWND>(window);
    if (!IsWindow(hwnd)) return false;
    ComForCall com;
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                reinterpret_cast<void**>(&services))) ||
        !services) {
        return false;
    }
    const MSAAPROPID id = property == AccessibleProperty::Name ? PROPID_ACC_NAME : PROPID_ACC_KEYBOARDSHORTCUT;
    const HRESULT result = text.empty()
                               ? services->ClearHwndProps(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &id, 1)
                               : services->SetHwndPropStr(hwnd, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, id,
                                                          Wide(text).c_str());
    services->Release();
    return SUCCEEDED(result);
}

}  // namespace platform
