// Per-class dispatch tables, read top to bottom like a message map:
//
//   const fw::NotifyEntry<CVellicorView> CVellicorView::kNotifications[] = {
//       {IDC_PAPER_LIST, LBN_SELCHANGE, &CVellicorView::OnSelChangePaperList},
//   };
//   const fw::CommandEntry<CVellicorView> CVellicorView::kCommands[] = {
//       {ID_FILE_SAVE, &CVellicorView::OnFileSave, &CVellicorView::OnUpdateFileSave},
//   };
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

namespace fw {

// The enabled state a command's update handler decides on.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : id_(id) {}
    UINT Id() const { return id_; }
    void Enable(bool enabled) { enabled_ = enabled; }
    bool IsEnabled() const { return enabled_; }
    // A menu item's text that changes with the state (Undo naming its action).
    void SetText(std::string text) { text_ = std::move(text); }
    const std::optional<std::string>& Text() const { return text_; }

private:
    UINT id_;
    bool enabled_ = true;
    std::optional<std::string> text_;
};

template <class T>
struct CommandEntry {
    UINT id;
    void (T::*handler)();
    void (T::*update)(CCmdUI&) = nullptr;  // none: enabled whenever handled
};

template <class T>
struct NotifyEntry {
    int controlId;
    UINT code;  // notification code (BN_CLICKED, EN_CHANGE, LBN_SELCHANGE, ...)
    void (T::*handler)();
};

template <class T, size_t N>
bool DispatchCommand(T* self, const CommandEntry<T> (&table)[N], UINT id) {
    for (const CommandEntry<T>& e : table) {
        if (e.id == id && e.handler) {
            (self->*e.handler)();
            return true;
        }
    }
    return false;
}

template <class T, size_t N>
bool DispatchUpdate(T* self, const CommandEntry<T> (&table)[N], CCmdUI& ui) {
    for (const CommandEntry<T>& e : table) {
        if (e.id != ui.Id()) continue;
        ui.Enable(true);
        if (e.update) (self->*e.update)(ui);
        return true;
    }
    return false;
}

template <class T, size_t N>
bool DispatchNotify(T* self, const NotifyEntry<T> (&table)[N], int controlId, UINT code) {
    for (const NotifyEntry<T>& e : table) {
        if (e.controlId == controlId && e.code == code) {
            (self->*e.handler)();
            return true;
        }
    }
    return false;
}

// Anything commands are routed through: the form, the frame, the application.
class CCommandTarget {
public:
    virtual ~CCommandTarget() = default;
    // True when the command was handled here.
    virtual bool OnCommand(UINT /*id*/) { return false; }
    // True when the command is handled here; `ui` then says whether it is enabled.
    virtual bool OnUpdateCommand(CCmdUI& /*ui*/) { return false; }
};

}  // namespace fw
