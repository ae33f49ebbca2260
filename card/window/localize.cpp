#include "card/window/localize.h"

#include "card/ui/messages.h"
#include "platform/com/text.h"

namespace card {
namespace {

// Replaces `to` by the message numbered at the start of `from` (the same
// property when both are one), when there is such a number.
void Localize(Control& control, std::string_view from, std::string_view to, bool skip_dash = false) {
  const std::string text = control.Text(from);
  if (skip_dash && text == "-") return;
  if (int32_t number = LeadingNumber(text); number > 0) control.Set(to, com::Variant(Message(number)));
}

}  // namespace

int32_t LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  int64_t number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10 + (text[i] - '0');
    if (number > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(number);
}

void LocalizeControls(std::span<const com::Ref<Control>> controls) {
  for (const auto& control : controls) {
    const std::string& kind = control->kind();
    if (kind == "Label") {
      Localize(*control, "Tag", "Caption");
    } else if (kind == "Menu") {
      Localize(*control, "Caption", "Caption", true);
    } else if (kind == "Toolbar") {
      for (const auto& button : control->Items("Buttons")) {
        Localize(*button, "ToolTipText", "ToolTipText", true);
        for (const auto& menu : button->Items("ButtonMenus")) Localize(*menu, "Text", "Text", true);
      }
    } else if (kind == "TabStrip") {
      for (const auto& tab : control->Items("Tabs")) {
        Localize(*tab, "Tag", "Caption");
        Localize(*tab, "ToolTipText", "ToolTipText");
      }
    } else if (kind == "ListView") {
      for (const auto& column : control->Items("ColumnHeaders")) Localize(*column, "Tag", "Text");
    } else {
      Localize(*control, "Tag", "Caption");
      Localize(*control, "ToolTipText", "ToolTipText");
    }
  }
}

}  // namespace card
