// (being written)
#include "editor/VellicorView.h"
bool CVellicorView::FilterTypedText(std::string&, std::string&, const char*, size_t) { return false; }
bool CVellicorView::FilterWeightDigits(std::string&, std::string&, size_t) { return false; }
void CVellicorView::OnUpdateName() {}
void CVellicorView::OnEditUpdateColor() {}
void CVellicorView::OnEditUpdateWeight() {}
void CVellicorView::OnEditUpdateType() {}
void CVellicorView::OnFieldChanged() {}
void CVellicorView::OnSelChangeSize() {}
void CVellicorView::OnSelChangeColor() {}
void CVellicorView::OnSelChangeWeight() {}
void CVellicorView::OnSelChangeType() {}
void CVellicorView::ApplyTypeRule() {}
void CVellicorView::OnKillFocusColor() {}
void CVellicorView::OnKillFocusWeight() {}
void CVellicorView::OnKillFocusType() {}
void CVellicorView::OnCheckWeightRange() {}
void CVellicorView::OnAdd() {}
void CVellicorView::OnModify() {}
void CVellicorView::OnDelete() {}
void CVellicorView::OnMoveUp() {}
void CVellicorView::OnMoveDown() {}
