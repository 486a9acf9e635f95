// A form: a child dialog, built from a dialog template, filling the frame.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

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

    // From now on the control's own messages come to OnControlMessage before the
    // control sees them: for what its notifications do not tell (a list's mouse).
    void RouteControlMessages(int controlId);
    // True when handled, with `result` as the answer; otherwise the control handles it.
    virtual bool OnControlMessage(int /*controlId*/, UINT /*message*/, WPARAM, LPARAM, LRESULT& /*result*/) {
        return false;
    }
    // Passes a message on to the control as if it had not been routed, for a
    // handler that acts after the control (a press the list selects first).
    LRESULT CallControl(int controlId, UINT message, WPARAM wParam, LPARAM lParam);

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
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // A routed control: kept in the control's user data, not a window property,
    // which costs a round trip to the window server per message under Wine: a
    // list filled with thousands of lines would pay it for every line.
    struct RoutedControl {
        CFormView* view;
        int controlId;
        WNDPROC original;
    };
    std::vector<std::unique_ptr<RoutedControl>> routed_;

    UINT templateId_;
    HWND hwnd_ = nullptr;
    CFrameWnd* frame_ = nullptr;
    bool updatingControls_ = false;
};

}  // namespace fw
