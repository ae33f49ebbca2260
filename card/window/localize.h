#pragma once

#include <span>

#include "card/window/control.h"

namespace card {

// Replaces the resource numbers a form designer left in controls by the
// library's messages: a positive number at the start of a label's "Tag", a
// menu's "Caption", a toolbar button's "ToolTipText" or button menu's
// "Text", a tab's "Tag" and "ToolTipText", a list view column's "Tag", or
// any other control's "Tag" (its "Caption") and "ToolTipText". Nothing here
// fails: a text that is no number stays as it is.
void LocalizeControls(std::span<const com::Ref<Control>> controls);

// The number a text starts with (digits after optional blanks); 0 when it
// starts with none.
int32_t LeadingNumber(std::string_view text);

}  // namespace card
