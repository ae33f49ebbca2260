// The card control as a person meets it, played by a script: opens a
// process template in a Card under the scripted host, presses "Execute",
// answers the folder and instance dialogs, and prints what the person saw:
// the toolbar, the status bar, the caption and every message.
//
//   card_demo STORE TEMPLATE-ID
#include <iostream>
#include <string>

#include "embedded/host/scripted_host.h"
#include "embedded/store/open.h"
#include "platform/com/registry.h"
#include "platform/ostrel/ostrel.h"

namespace {

com::Variant AsVariant(com::Unknown* o) { return com::Variant(com::Ref<com::Unknown>(o)); }

std::string Text(com::Unknown* object, const char* property) {
  com::Variant v = com::GetProperty(object, property);
  return v.IsEmpty() || v.IsNull() ? "" : v.ToText();
}

// The toolbar as drawn: the buttons a person sees, those they can press in [brackets].
void ShowWindow(com::Unknown* card) {
  com::Ref<com::Unknown> toolbar = com::CallMethod(card, "Controls", std::vector{com::Variant("tbMain")}).ToObject();
  std::string line;
  const int32_t n = com::GetProperty(com::GetProperty(toolbar.get(), "Buttons").ToObject().get(), "Count").ToI4();
  for (int32_t i = 1; i <= n; ++i) {
    com::Ref<com::Unknown> b = com::GetProperty(toolbar.get(), "Buttons", std::vector{com::Variant(i)}).ToObject();
    if (!com::GetProperty(b.get(), "Visible").ToBool() || Text(b.get(), "Style") == "Separator") continue;
    const std::string tip = Text(b.get(), "ToolTipText");
    line += com::GetProperty(b.get(), "Enabled").ToBool() ? " [" + tip + "]" : "  " + tip + " ";
  }
  com::Ref<com::Unknown> status = com::CallMethod(card, "Controls", std::vector{com::Variant("sbMain")}).ToObject();
  auto panel = [&](const char* key) {
    return Text(com::GetProperty(status.get(), "Panels", std::vector{com::Variant(key)}).ToObject().get(), "Text");
  };
  std::cout << "   caption : " << Text(card, "Caption") << "\n"
            << "   toolbar :" << line << "\n"
            << "   status  : " << panel("Mode") << " | folder " << panel("Folder") << "\n";
}

void ShowMessages(embedded::ScriptedServices& host, size_t& seen) {
  const auto& calls = host.calls();
  for (; seen < calls.size(); ++seen) {
    const auto& c = calls[seen];
    if (c.member == "ShowMessage") {
      std::cout << "   message : " << c.args[1].ToText();
      if (!c.args[2].ToText().empty() && c.args[2].ToText()[0] != '{') std::cout << " (" << c.args[2].ToText() << ")";
      std::cout << "\n";
    } else if (c.member == "SelectFolder") {
      std::cout << "   dialog  : " << c.args[0].ToText() << " -> the top folder\n";
    } else if (c.member == "ShowInstanceDialog") {
      std::cout << "   dialog  : the new instance's variables -> OK\n";
    }
  }
}

int Run(const std::string& file, const std::string& template_id) {
  auto store = embedded::Store::Open({.path = file});
  auto session = embedded::Open({.store = store, .account = "demo", .groups = {"Korvessa Workflow Process Creators"}});
  auto cards = session->GetCardManager();
  auto folders = com::Query<ostrel::FolderTree>(cards->GetDictionaryObject("{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}"));

  auto services = com::Make<embedded::ScriptedServices>();
  services->folder_card_id = cards->GetDictionaryData("{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}")->GetID();
  services->Answer("SelectFolder", com::Variant(folders->GetRootFolder()->GetID()));
  services->Answer("ShowInstanceDialog", com::Variant(1));
  auto frame = com::Make<embedded::ScriptedFrame>(services);
  embedded::CardDriver driver(com::CreateObject("QXProcess.Card"), frame);
  size_t seen = 0;

  std::cout << "-- the template opens in its card\n";
  driver.Open(AsVariant(session.get()), AsVariant(cards->GetCardData(template_id).get()), 1,
              folders->GetRootFolder()->GetID());
  ShowMessages(*services, seen);
  ShowWindow(driver.card());

  std::cout << "-- the person presses \"Create and start process using this template\"\n";
  driver.Click("Execute");
  ShowMessages(*services, seen);
  ShowWindow(driver.card());

  std::cout << "-- the person closes the card\n";
  const int32_t closed = driver.Close();
  ShowMessages(*services, seen);
  std::cout << "   closed  : " << (closed ? "yes" : "no") << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: card_demo STORE TEMPLATE-ID\n";
    return 2;
  }
  try {
    return Run(argv[1], argv[2]);
  } catch (const com::Error& e) {
    std::cerr << "error: " << e.ToString() << "\n";
    return 1;
  }
}
