// A form: a child dialog, built from a dialog template, filling the frame.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/MessageMap.h"

namespace fw {

class CFrameWnd;

class CFormView : public CCommandTarget {
public:
    explicit CFormView(UINT templateId) : templateId_(templateId) {}
    ~CFormView() override;
    CFormView(const CFormView&) = delete;
    CFormView& operator=(const CFormView&) = delete;

    bool Create(CFrameWnd& frame);
    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    CFrameWnd* Frame() const { return frame_; }

    // Runs once after the frame has been created and fitted around the form.
    virtual void OnInitialUpdate() {}

protected:
    // A control's notification (WM_COMMAND from a control). Not called while
    // the form writes or reads its controls.
    virtual bool OnNotify(int /*controlId*/, UINT /*code*/) { return false; }
    // The Escape key, which the dialog keyboard handling turns into IDCANCEL.
    virtual void OnEscape() {}
    // Any other message; true when handled, with `result` as the answer.
    virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

    // While one of these lives, the controls' notifications are not passed on:
    // writing a text sends EN_CHANGE, which must not look like typing.
    class UpdatingControls {
    public:
        explicit UpdatingControls(CFormView& view) : view_(view), previous_(view.updatingControls_) {
            view.updatingControls_ = true;
        }
        ~UpdatingControls() { view_.updatingControls_ = previous_; }
        UpdatingControls(const UpdatingControls&) = delete;
        UpdatingControls& operator=(const UpdatingControls&) = delete;

    private:
        CFormView& view_;
        bool previous_;
    };

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    CFrameWnd* frame_ = nullptr;
    bool updatingControls_ = false;
};

}  // namespace fw
