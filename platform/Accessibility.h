// What screen readers are told about a window beyond what the system finds by
// itself: its name and keyboard shortcut, given through the system's dynamic
// annotation. Windows names a list or combo box by the static text just before
// it in tab order; a control that follows a group box, or whose label follows
// it, has no name without this. Every request is recorded while a test asks
// for it, since some systems refuse the annotation (Wine 8 answers E_NOTIMPL).
#pragma once

#include <optional>
#include <string>

namespace platform {

enum class AccessibleProperty { Name, KeyboardShortcut };

// Windows only. Gives the client object of `window` (an HWND) the property's
// text (code page 1252 as shown); an empty text takes the property away. True
// when the system took it; false when it offers no annotation or refused it,
// which changes nothing else: the control only goes without the name.
bool AnnotateWindow(void* window, AccessibleProperty property, const std::string& text);

// Tests only: from now on (or no longer) each request is remembered, the
// latest per window and property; turning it on forgets what was remembered.
void RecordAnnotations(bool record);
// The latest text asked for, empty when the property was taken away; none
// when nothing was asked for while recording.
std::optional<std::string> RecordedAnnotation(void* window, AccessibleProperty property);

}  // namespace platform
