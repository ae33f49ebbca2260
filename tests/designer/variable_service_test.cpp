// The variable service: its findings over variables of a process.
#include "platform/designer/variable_service.h"
#include "tests/designer/designer_fixture.h"

namespace designer::testing {
namespace {

class VariableServiceTest : public DesignerFixture {
 protected:
  void SetUp() override {
    DesignerFixture::SetUp();
    service = com::Query<VariableService>(com::CreateObject("QXDesigner.VariableService"));
    service->Initialize(Variant(session), Variant(host), Variant(library), Variant(process), 0);
  }
  com::Ref<vorlane::Variable> Add(const std::string& name, vorlane::VarTypeEnum type, const Variant& value) {
    auto v = process->Variables()->AddNew();
    v->SetName(name);
    v->SetVarType(type);
    v->SetValue(value);
    return v;
  }
  static std::vector<std::string> Lines(const std::string& findings) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < findings.size();) {
      size_t end = std::min(findings.find('\n', start), findings.size());
      lines.push_back(findings.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

  com::Ref<VariableService> service;
};

using vorlane::VarTypeEnum;

TEST_F(VariableServiceTest, SoundVariablesGiveNoFindings) {
  std::vector<com::Ref<vorlane::Variable>> all = {
      Add("Count", VarTypeEnum::Integer, Variant(int32_t{12})),
      Add("Rate", VarTypeEnum::Float, Variant("2.5")),
      Add("Approved", VarTypeEnum::Boolean, Variant(true)),
      Add("Due", VarTypeEnum::DateTime, Variant("2026-12-08")),
      Add("Note", VarTypeEnum::String, Variant("text")),
      Add("Unset", VarTypeEnum::Integer, Variant()),
  };
  auto level = Add("Level", VarTypeEnum::Enum, Variant(int32_t{2}));
  level->EnumValues()->AddNew("High")->SetNumericValue(2);
  all.push_back(level);
  for (auto& v : all) service->CheckVariable(v->ID());
  EXPECT_EQ(service->Findings(), "");
}

TEST_F(VariableServiceTest, EachFaultIsALineNamingTheVariable) {
  auto nameless = Add("", VarTypeEnum::String, Variant("x"));
  auto first = Add("Amount", VarTypeEnum::Integer, Variant("12.5"));
  auto second = Add("amount", VarTypeEnum::Generic, Variant("anything"));
  auto flag = Add("Flag", VarTypeEnum::Boolean, Variant("maybe"));
  auto level = Add("Level", VarTypeEnum::Enum, Variant(int32_t{9}));
  const std::string missing = "{0F0F0F0F-0000-4000-8000-000000000003}";
  for (const std::string& id : {nameless->ID(), first->ID(), flag->ID(), level->ID(), missing}) {
    service->CheckVariable(id);
  }
  const auto lines = Lines(service->Findings());
  ASSERT_EQ(lines.size(), 6u) << service->Findings();
  EXPECT_NE(lines[0].find(nameless->ID()), std::string::npos);
  EXPECT_NE(lines[0].find("no name"), std::string::npos);
  // "Amount": the name of another variable, and not a whole number.
  EXPECT_NE(lines[1].find("\"Amount\" " + first->ID()), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find(second->ID()), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("\"12.5\""), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("\"Flag\""), std::string::npos) << lines[3];
  EXPECT_NE(lines[4].find("\"Level\""), std::string::npos) << lines[4];
  EXPECT_NE(lines[5].find(missing), std::string::npos) << lines[5];

  // A new process starts a new list.
  service->Initialize(Variant(session), Variant(host), Variant(library), Variant(process), 0);
  EXPECT_EQ(service->Findings(), "");
}

TEST_F(VariableServiceTest, ItReachesItsCallerByDispatchAndNeedsAProcess) {
  auto fresh = com::CreateObject("QXDesigner.VariableService");
  const Variant id[] = {Variant("{0F0F0F0F-0000-4000-8000-000000000004}")};
  EXPECT_EQ(CodeOf([&] { com::CallMethod(fresh.get(), "CheckVariable", id); }), com::hr::kObjectNotSet);
  const Variant init[] = {Variant(session), Variant(), Variant(), Variant(process)};
  com::CallMethod(fresh.get(), "Initialize", init);
  com::CallMethod(fresh.get(), "CheckVariable", id);
  EXPECT_NE(com::GetProperty(fresh.get(), "Findings").ToText().find(id[0].ToText()), std::string::npos);
}

}  // namespace
}  // namespace designer::testing
