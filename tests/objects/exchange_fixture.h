#pragma once

// What the tests of the XML exchange share: a process with every kind of
// part, a document it links and a sub-process that links back to it, and
// ways to compare documents and the store before and after an import.
#include <pugixml.hpp>

#include <map>
#include <set>
#include <string>

#include "embedded/store/schema.h"
#include "embedded/store/storage.h"
#include "objects/exchange/process_import_export_object.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"
#include "tests/objects/process_fixture.h"
#include "vorlane/enum_values.h"
#include "vorlane/values.h"

namespace vorlane::testing {

inline constexpr char kDocumentCardType[] = "{BFC9D190-BCD6-411A-B9F9-3160D3F68819}";
inline constexpr char kDocumentMainInfo[] = "{6ADF04A2-D4D1-41F4-8632-FBC62DD0562F}";
inline constexpr char kUserSettingsCardType[] = "{2DA5436F-2FD5-413C-8EC3-CA0D68B265C6}";
// Seeded function and gate types.
inline constexpr char kStartType[] = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}";
inline constexpr char kTaskType[] = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}";
inline constexpr char kSubProcessType[] = "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}";
inline constexpr char kCardsGate[] = "{DE24E4D4-4097-48C5-8A7F-3B9A6A65810D}";
inline constexpr char kStaffGate[] = "{A7E505E8-C639-49B1-9E74-3A7FAD6E330D}";
inline constexpr char kMailGate[] = "{64CF7CC6-3172-4108-A9F1-9BBC523EC511}";

// A text of `lines` lines of 63 Cyrillic letters and a line feed: 64
// characters a line, so a cut at 1024 characters ends with a line feed, as
// the settings texts of functions do.
inline std::string CyrillicLines(size_t lines) {
  std::string s;
  for (size_t i = 0; i < lines; ++i) s += Cyrillic(63) + "\n";
  return s;
}

class ExchangeFixture : public ProcessFixture {
 protected:
  // A new card of the type, written at once.
  com::Ref<ostrel::CardData> NewCard(const char* type, int32_t flags = ostrel::create_flag::kTemplate) {
    return session->GetCardManager()->CreateCardData(type, flags);
  }

  // Every card of the store, of every type.
  std::set<std::string> StoreCards() {
    std::set<std::string> cards;
    for (const auto& type : store->schema().types()) {
      for (const com::Guid& id : store->storage().List(type->id)) cards.insert(id.ToString());
    }
    return cards;
  }

  struct Sample {
    com::Ref<ostrel::CardData> document;
    com::Ref<ostrel::CardData> sub;
    std::string start, task, call;     // function IDs
    std::string cards_gate, mail_gate;  // gate IDs
    std::string number, long_text, multi, choice;  // variable IDs
  };

  // The fixture's process with three functions (a start, a task on a
  // document, a call of a sub-process that links back to this process and
  // weakly to the same document), two gates, links, pass states, variables
  // of several types with values and enumeration values, and texts of more
  // than 1024 and of more than 32001 characters.
  Sample BuildSample() {
    Sample s;
    s.document = NewCard(kDocumentCardType, 0);
    s.document->GetSections()->Item(kDocumentMainInfo)->GetFirstRow()->SetField("Name", com::Variant("Договор"));
    s.sub = NewCard(layout::kProcessCardType);
    com::Ref<ProcessObject> sub = Attach(s.sub);
    sub->SetName("Подпроцесс");
    auto back = sub->Functions()->AddNew();
    back->SetTypeID(kTaskType);
    back->SetCardID(card->GetID());
    back->SetWeakCardID(s.document->GetID());
    back->SetData("back\n");

    process->SetName("Процесс согласования");
    process->SetVersion("4.1");
    process->SetPriority(3);
    auto functions = process->Functions();
    auto start = functions->AddNew();
    start->SetTypeID(kStartType);
    start->SetCaption("Начало");
    start->SetData("start\n");
    start->SetXPos(10.5f);
    auto task = functions->AddNew();
    task->SetTypeID(kTaskType);
    task->SetCaption("Согласовать");
    task->SetCardID(s.document->GetID());
    task->SetData(CyrillicLines(20));  // 1280 characters: the whole text in a spare row
    task->SetWidth(120);
    auto pass = task->States()->AddNew();
    pass->SetData("pass\n");
    pass->SetState(FuncStateEnum::Done);
    task->States()->AddNew()->SetHasErrors(true);
    auto call = functions->AddNew();
    call->SetTypeID(kSubProcessType);
    call->SetCaption("Вызов");
    call->SetCardID(s.sub->GetID());
    s.start = start->ID();
    s.task = task->ID();
    s.call = call->ID();

    auto cards_gate = process->Gates()->AddNew();
    cards_gate->SetTypeID(kCardsGate);
    cards_gate->SetCaption("Cards");
    auto mail_gate = process->Gates()->AddNew();
    mail_gate->SetTypeID(kMailGate);
    s.cards_gate = cards_gate->ID();
    s.mail_gate = mail_gate->ID();

    auto links = process->Links();
    auto l1 = links->AddNew();
    l1->SetSource(s.start);
    l1->SetDestination(s.task);
    auto l2 = links->AddNew();
    l2->SetSource(s.task);
    l2->SetDestination(s.call);
    auto l3 = links->AddNew();
    l3->SetSource(s.call);
    l3->SetDestination(s.cards_gate);

    auto variables = process->Variables();
    auto number = variables->AddNew();
    number->SetName("Сумма");
    number->SetVarType(VarTypeEnum::Integer);
    number->SetValue(com::Variant(int32_t{5}));
    number->SetGateID(s.cards_gate);
    auto long_text = variables->AddNew();
    long_text->SetVarType(VarTypeEnum::String);
    long_text->SetValue(com::Variant(Cyrillic(32001) + "<&\"' \t\n"));
    auto multi = variables->AddNew();
    multi->SetVarType(VarTypeEnum::String);
    multi->SetIsMultipleValued(true);
    multi->Values()->AddNew(com::Variant("a"));
    multi->Values()->AddNew(com::Variant(Cyrillic(1500)));
    auto choice = variables->AddNew();
    choice->SetVarType(VarTypeEnum::Enum);
    choice->EnumValues()->AddNew("Да");
    choice->EnumValues()->AddNew("Нет");
    s.number = number->ID();
    s.long_text = long_text->ID();
    s.multi = multi->ID();
    s.choice = choice->ID();
    // The task's settings name the number variable, so that a partial
    // export of the task keeps it.
    task->SetDescription("uses " + s.number);
    return s;
  }

  com::Ref<ProcessImportExportObject> io = com::Make<ProcessImportExportObject>();
};

// Compares two documents element by element and attribute by attribute.
// IDs that an import gives anew ("RowID", "CardID", "WeakCardID") may
// differ, but only as a one-to-one renaming over both documents: the map
// from the first document's IDs to the second's, in `renamed`. Every other
// attribute, and the order of elements and attributes, must agree.
inline void ExpectSameButRenamed(const std::string& a, const std::string& b,
                                 std::map<std::string, std::string>* renamed = nullptr) {
  pugi::xml_document da, db;
  ASSERT_TRUE(da.load_string(a.c_str()));
  ASSERT_TRUE(db.load_string(b.c_str()));
  std::map<std::string, std::string> forward, backward;
  auto is_id = [](std::string_view name) { return name == "RowID" || name == "CardID" || name == "WeakCardID"; };
  // Iterative parallel walk.
  pugi::xml_node x = da.first_child(), y = db.first_child();
  std::string path;
  while (x || y) {
    ASSERT_TRUE(x && y) << "one document ends early near " << path;
    ASSERT_STREQ(x.name(), y.name()) << "near " << path;
    path = x.path();
    pugi::xml_attribute p = x.first_attribute(), q = y.first_attribute();
    for (; p && q; p = p.next_attribute(), q = q.next_attribute()) {
      ASSERT_STREQ(p.name(), q.name()) << path;
      if (is_id(p.name())) {
        auto [f, fresh] = forward.emplace(p.value(), q.value());
        EXPECT_EQ(f->second, q.value()) << path << "@" << p.name() << ": one ID renamed two ways";
        auto [r, fresh_back] = backward.emplace(q.value(), p.value());
        EXPECT_EQ(r->second, p.value()) << path << "@" << p.name() << ": two IDs renamed to one";
        EXPECT_NE(std::string(p.value()), std::string(q.value())) << path << "@" << p.name() << " kept its ID";
      } else {
        EXPECT_STREQ(p.value(), q.value()) << path << "@" << p.name();
      }
    }
    ASSERT_FALSE(p || q) << path << ": attributes differ in number";
    if (x.first_child() || y.first_child()) {
      x = x.first_child();
      y = y.first_child();
      continue;
    }
    while (x && !x.next_sibling()) {
      ASSERT_FALSE(y.next_sibling()) << path << ": more elements in the second document";
      x = x.parent();
      y = y.parent();
      if (x.type() == pugi::node_document) {
        x = pugi::xml_node();
        y = pugi::xml_node();
      }
    }
    if (x) {
      x = x.next_sibling();
      y = y.next_sibling();
    }
  }
  if (renamed) *renamed = forward;
}

}  // namespace vorlane::testing
