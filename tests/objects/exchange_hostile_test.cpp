// Imports of files a user picked: what is not a process document, or holds
// what a process document must not, is refused with a clear error, and the
// card and the store stay exactly as they were.
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "common/error_codes.h"
#include "platform/ostrel/errors.h"
#include "tests/embedded/store_files.h"
#include "tests/objects/exchange_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

constexpr char kNoProcess[] = "Specified data does not contain business-process.";

std::string ProcessDoc(const std::string& body, const std::string& card_attributes = "") {
  return "<Data><Process CardID=\"{11111111-1111-1111-1111-111111111111}\" "
         "CardTypeID=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\" Template=\"0\"" +
         card_attributes + ">" + body + "</Process></Data>";
}

std::string Nested(int depth) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    open += "<X>";
    close += "</X>";
  }
  return ProcessDoc("<Functions><FunctionsRow RowID=\"{1}\">" + open + close + "</FunctionsRow></Functions>");
}

// A document card embedded under a function, then a function with `bad`.
std::string CardThenBad(const std::string& bad) {
  return ProcessDoc(
      "<MainInfo RowID=\"{2}\" Name=\"Imported\"/><Functions>"
      "<FunctionsRow RowID=\"{3}\" ID=\"{F1000000-0000-4000-8000-000000000001}\" CardID=\"{22222222-2222-2222-2222-222222222222}\">"
      "<CardIDCardData><Data><Document CardID=\"{22222222-2222-2222-2222-222222222222}\" "
      "CardTypeID=\"{BFC9D190-BCD6-411A-B9F9-3160D3F68819}\"><MainInfo Name=\"Doc\"/></Document></Data>"
      "</CardIDCardData></FunctionsRow>"
      "<FunctionsRow RowID=\"{4}\" " +
      bad + "/></Functions>");
}

// Sub-processes embedded `depth` deep, each in the function row of the one above.
std::string SubProcesses(int depth) {
  std::string open, close;
  for (int i = 0; i < depth; ++i) {
    char id[40], row[40];
    std::snprintf(id, sizeof id, "{%08X-0000-0000-0000-000000000000}", i + 1);
    std::snprintf(row, sizeof row, "{%08X-0000-0000-0000-0000000000FF}", i + 1);
    open += "<Functions><FunctionsRow RowID=\"" + std::string(row) + "\" CardID=\"" + id +
            "\"><CardIDCardData><Data><Process CardID=\"" + id +
            "\" CardTypeID=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\">";
    close = "</Process></Data></CardIDCardData></FunctionsRow></Functions>" + close;
  }
  return ProcessDoc(open + close);
}

// A well-formed ID of a function, gate, link, variable or document type.
std::string Id(int n) {
  char id[40];
  std::snprintf(id, sizeof id, "{%08X-0000-4000-8000-000000000000}", n);
  return id;
}

struct HostileCase {
  const char* name;
  std::string data;
  com::HResult code;
  // What the description holds.
  std::vector<std::string> description;
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

std::vector<HostileCase> HostileCases() {
  const com::HResult no_process = err::kNoProcessInData;
  return {
      {"Empty", "", no_process, {kNoProcess}},
      {"NotXml", "this is not XML at all", no_process, {kNoProcess}},
      {"Unclosed", "<Data><Process>", no_process, {kNoProcess}},
      {"Binary", std::string("\xff\xfe\x00<\x00\x01\x02", 7), no_process, {kNoProcess}},
      {"NoProcess", "<Data><Processes/></Data>", no_process, {kNoProcess}},
      {"ProcessNotUnderTheRoot", "<Data><X><Process/></X></Data>", no_process, {kNoProcess}},
      {"Doctype", "<!DOCTYPE Data><Data><Process/></Data>", no_process, {kNoProcess}},
      {"EntityDeclarations",
       "<!DOCTYPE Data [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
       "<Data><Process><MainInfo Name=\"&b;\"/></Process></Data>",
       no_process,
       {kNoProcess}},
      {"AbsurdNesting", Nested(10000), no_process, {kNoProcess}},
      {"SubProcessesNestedTooDeep", SubProcesses(40), com::hr::kInvalidArg, {"embedded in one another more than 32 deep"}},
      {"SubProcessesOnePastTheLimit", SubProcesses(33), com::hr::kInvalidArg, {"more than 32 deep"}},
      {"RepeatedRowId",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{5}\" ID=\"" + Id(1) + "\"/>"
                  "<FunctionsRow RowID=\"{5}\" ID=\"" + Id(2) + "\"/></Functions>"),
       com::hr::kDuplicateKey,
       {"\"FunctionsRow\"", "\"RowID\"", "{5}"}},
      {"RepeatedGuidRowIdSpeltAnotherWay",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{77777777-7777-4777-8777-77777777777A}\" ID=\"" + Id(1) + "\"/>"
                  "<FunctionsRow RowID=\"{7777}\" ID=\"" + Id(2) + "\"/>"
                  "<FunctionsRow RowID=\" 77777777-7777-4777-8777-77777777777a \" ID=\"" + Id(3) + "\"/>"
                  "</Functions>"),
       com::hr::kDuplicateKey,
       {"\"FunctionsRow\"", "\"RowID\"", "77777777-7777-4777-8777-77777777777a"}},
      {"RowIdRepeatedInsideAnEmbeddedCard",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{88888888-8888-4888-8888-888888888888}\" "
                  "CardID=\"{66666666-6666-6666-6666-666666666666}\">"
                  "<CardIDCardData><Data><Document CardID=\"{66666666-6666-6666-6666-666666666666}\" "
                  "CardTypeID=\"{BFC9D190-BCD6-411A-B9F9-3160D3F68819}\">"
                  "<MainInfo RowID=\"{88888888-8888-4888-8888-888888888888}\" Name=\"Doc\"/></Document></Data>"
                  "</CardIDCardData></FunctionsRow></Functions>"),
       com::hr::kDuplicateKey,
       {"\"MainInfo\"", "\"RowID\""}},
      {"RowIdRepeatsTheCardId",
       ProcessDoc("<Gates><GatesRow RowID=\"{11111111-1111-1111-1111-111111111111}\" ID=\"" + Id(1) + "\"/></Gates>"),
       com::hr::kDuplicateKey,
       {"\"GatesRow\"", "\"RowID\""}},
      // The ID checked is the first; the row would have kept the last.
      {"FieldNamedTwice",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{5}\" ID=\"" + Id(1) + "\" ID=\"{F1000000-0000\"/></Functions>"),
       com::hr::kInvalidArg,
       {"\"FunctionsRow\"", "\"ID\"", "{F1000000-0000", "names the field \"ID\" a second time"}},
      {"FieldNamedTwiceInAnotherCase",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{5}\" ID=\"" + Id(1) + "\" Caption=\"a\" caption=\"b\"/></Functions>"),
       com::hr::kInvalidArg,
       {"\"caption\"", "names the field \"Caption\" a second time"}},
      {"TextForANumber",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{6}\" XPos=\"left\"/></Functions>"),
       com::hr::kTypeMismatch,
       {"\"FunctionsRow\"", "\"XPos\"", "left"}},
      {"NumberOutOfRange",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{6}\" PoolingInterval=\"99999999999\"/></Functions>"),
       com::hr::kOverflow,
       {"\"PoolingInterval\""}},
      // A function's position the object model could not read as a Single.
      {"PositionBeyondASingle",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{6}\" ID=\"" + Id(1) + "\" XPos=\"40\" YPos=\"1.7e63\"/></Functions>"),
       com::hr::kOverflow,
       {"\"FunctionsRow\"", "\"YPos\"", "range of a Single"}},
      {"TextForADate",
       ProcessDoc("<MainInfo RowID=\"{7}\" DateBegin=\"yesterday\"/>"),
       com::hr::kTypeMismatch,
       {"\"MainInfo\"", "\"DateBegin\""}},
      {"UnknownDataType",
       ProcessDoc("<Variables><VariablesRow RowID=\"{8}\" Value=\"AAAA\" _Type_Value=\"bin.base64\"/></Variables>"),
       com::hr::kTypeMismatch,
       {"\"_Type_Value\"", "bin.base64"}},
      {"TypedValueThatIsNot",
       ProcessDoc("<Variables><VariablesRow RowID=\"{8}\" Value=\"five\" _Type_Value=\"int\"/></Variables>"),
       com::hr::kTypeMismatch,
       {"\"VariablesRow\"", "\"Value\""}},
      {"SingleCardTypeEmbedded",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{9}\" CardID=\"{33333333-3333-3333-3333-333333333333}\">"
                  "<CardIDCardData><Data><UserSettings CardID=\"{33333333-3333-3333-3333-333333333333}\" "
                  "CardTypeID=\"{2DA5436F-2FD5-413C-8EC3-CA0D68B265C6}\"/></Data></CardIDCardData>"
                  "</FunctionsRow></Functions>"),
       ostrel::err::kRefused,
       {"single-card type"}},
      {"DictionaryEmbeddedAsText",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{9}\" CardID=\"{44444444-4444-4444-4444-444444444444}\" "
                  "CardIDCardData=\"&lt;Data&gt;&lt;FunctionTypes CardTypeID=&quot;"
                  "{BDB73D05-8DE1-41B2-9F3C-AA76C4D9CD64}&quot;/&gt;&lt;/Data&gt;\"/></Functions>"),
       ostrel::err::kRefused,
       {"single-card type"}},
      {"EmbeddedTextThatIsNotXml",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{9}\" CardID=\"{44444444-4444-4444-4444-444444444444}\" "
                  "CardIDCardData=\"&lt;Data\"/></Functions>"),
       no_process,
       {kNoProcess}},
      {"UnknownCardType",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{9}\" CardID=\"{55555555-5555-5555-5555-555555555555}\">"
                  "<CardIDCardData><Data><Thing CardTypeID=\"{12345678-1234-1234-1234-123456789ABC}\"/></Data>"
                  "</CardIDCardData></FunctionsRow></Functions>"),
       ostrel::err::kUnknownCardType,
       {}},
      // Rows the process's lists are keyed by: without a GUID of their own
      // in "ID" the process could not be read again.
      {"FunctionWithoutId",
       ProcessDoc("<Functions><FunctionsRow ID=\"" + Id(1) + "\"/><FunctionsRow Caption=\"second\"/></Functions>"),
       com::hr::kInvalidUseOfNull,
       {"\"FunctionsRow\"", "row 2 of \"Functions\"", "\"ID\""}},
      {"GateIdThatIsNoGuid",
       ProcessDoc("<Gates><GatesRow ID=\"gate-1\"/></Gates>"),
       com::hr::kTypeMismatch,
       {"\"GatesRow\"", "gate-1", "GUID"}},
      {"EmptyLinkId",
       ProcessDoc("<Links><LinksRow id=\"\"/></Links>"),
       com::hr::kTypeMismatch,
       {"\"LinksRow\"", "row 1 of \"Links\""}},
      {"FunctionIdRepeatedSpeltAnotherWay",
       ProcessDoc("<Functions><FunctionsRow ID=\"{ABCDEF01-0000-4000-8000-000000000000}\"/>"
                  "<FunctionsRow ID=\"" + Id(2) + "\"/>"
                  "<FunctionsRow ID=\"abcdef01-0000-4000-8000-000000000000\"/></Functions>"),
       com::hr::kDuplicateKey,
       {"\"FunctionsRow\"", "row 3 of \"Functions\"", "abcdef01-0000-4000-8000-000000000000"}},
      {"VariableIdRepeated",
       ProcessDoc("<Variables><VariablesRow ID=\"" + Id(5) + "\" Name=\"a\"/>"
                  "<VariablesRow ID=\"" + Id(5) + "\" Name=\"b\"/></Variables>"),
       com::hr::kDuplicateKey,
       {"\"VariablesRow\"", Id(5)}},
      {"DocumentTypeIdRepeated",
       ProcessDoc("<MainInfo Name=\"x\"><DocTypes><DocTypesRow ID=\"" + Id(6) + "\"/>"
                  "<DocTypesRow ID=\"" + Id(6) + "\"/></DocTypes></MainInfo>"),
       com::hr::kDuplicateKey,
       {"\"DocTypesRow\"", Id(6)}},
      // Text an export could not write again: character references to
      // characters XML does not allow ("&#0;" would cut the name short),
      // and such characters or bytes that are not UTF-8 as they are.
      {"NulCharacterReference",
       ProcessDoc("<MainInfo RowID=\"{7}\" Description=\"a = b\" Name=\"before&#0;after\"/>"),
       com::hr::kInvalidArg,
       {"\"MainInfo\"", "attribute \"Name\"", "&#0;"}},
      {"ControlCharacterReferenceInHex",
       ProcessDoc("<Functions><FunctionsRow ID=\"" + Id(1) + "\" Data='say \"hi\"' Caption='x&#x1b;[31m'/></Functions>"),
       com::hr::kInvalidArg,
       {"\"FunctionsRow\"", "attribute \"Caption\"", "&#x1b;"}},
      {"SurrogateReference",
       ProcessDoc("<Functions><FunctionsRow ID=\"" + Id(1) + "\" Caption=\"&#xD800;\"/></Functions>"),
       com::hr::kInvalidArg,
       {"\"Caption\"", "&#xD800;"}},
      {"ReferenceInElementText",
       ProcessDoc("<MainInfo RowID=\"{7}\">&#65535;</MainInfo>"),
       com::hr::kInvalidArg,
       {"\"MainInfo\"", "in its text", "&#65535;"}},
      {"RawControlCharacter",
       ProcessDoc("<Functions><FunctionsRow ID=\"" + Id(1) + "\" Caption=\"bell\x07\"/></Functions>"),
       com::hr::kInvalidArg,
       {"\"FunctionsRow\"", "\"Caption\"", "U+0007 (at character 5)"}},
      {"BytesThatAreNotUtf8",
       ProcessDoc("<Variables><VariablesRow ID=\"" + Id(5) + "\" Name=\"caf\xe9\"/></Variables>"),
       com::hr::kInvalidArg,
       {"\"VariablesRow\"", "\"Name\"", "0xE9, which is not UTF-8"}},
      {"FailureAfterACardWasMade", CardThenBad("Width=\"wide\""), com::hr::kTypeMismatch, {"\"Width\""}},
      {"CardIdRepeatedByAnEmbeddedCard",
       ProcessDoc("<Functions><FunctionsRow RowID=\"{3}\" CardID=\"{66666666-6666-6666-6666-666666666666}\">"
                  "<CardIDCardData><Data><Document CardID=\"{11111111-1111-1111-1111-111111111111}\" "
                  "CardTypeID=\"{BFC9D190-BCD6-411A-B9F9-3160D3F68819}\"/></Data></CardIDCardData>"
                  "</FunctionsRow></Functions>"),
       com::hr::kDuplicateKey,
       {"\"Document\"", "\"CardID\""}},
  };
}

class ExchangeHostileTest : public ExchangeFixture, public ::testing::WithParamInterface<HostileCase> {
 protected:
  void SetUp() override {
    ExchangeFixture::SetUp();
    process->SetName("Mine");
    process->Functions()->AddNew()->SetCaption("my function");
    process->Variables()->AddNew()->SetName("my variable");
    Rows(layout::kLogMessages)->AddNew(0)->SetField("Message", Variant("my log"));
  }

  struct State {
    std::string xml;
    std::string description;
    bool is_template;
    std::set<std::string> cards;
    bool operator==(const State&) const = default;
    friend void PrintTo(const State& s, std::ostream* os) {
      *os << s.cards.size() << " cards, template " << s.is_template << ", \"" << s.description << "\"\n" << s.xml;
    }
  };
  State Now() { return State{card->GetXML(false), card->GetDescription(), card->GetIsTemplate(), StoreCards()}; }

  void ExpectRefused(const HostileCase& c, const std::function<void()>& import) {
    try {
      import();
      ADD_FAILURE() << c.name << " imported";
    } catch (const com::Error& e) {
      EXPECT_EQ(com::HexCode(e.code()), com::HexCode(c.code)) << c.name << ": " << e.description();
      for (const std::string& part : c.description) {
        EXPECT_NE(e.description().find(part), std::string::npos) << c.name << ": " << e.description();
      }
    }
  }
};

TEST_P(ExchangeHostileTest, IsRefusedAndChangesNothing) {
  const HostileCase& c = GetParam();
  const State before = Now();
  auto created = com::Make<com::KeyedList>();
  ExpectRefused(c, [&] { io->DeserializeProcess(session, card, c.data, "", created); });
  EXPECT_FALSE(com::Query<ostrel::CardUpdate>(card)->GetInUpdate());
  EXPECT_EQ(Now(), before) << c.name;
  EXPECT_EQ(created->size(), 0u) << "no card outlives the failed import";
}

TEST_P(ExchangeHostileTest, FromAFileToo) {
  const HostileCase& c = GetParam();
  ::embedded::testing::TempFolder folder;
  const std::string path = folder.File(std::string(c.name) + ".xml");
  {
    std::ofstream out(path, std::ios::binary);
    out << c.data;
  }
  const State before = Now();
  ExpectRefused(c, [&] { io->ImportProcess(session, card, path, "", nullptr); });
  EXPECT_EQ(Now(), before) << c.name;
}

TEST_P(ExchangeHostileTest, InTheCallersBracketTheCallersCancelRestoresEverything) {
  const HostileCase& c = GetParam();
  const State before = Now();
  auto update = com::Query<ostrel::CardUpdate>(card);
  update->BeginUpdate();
  ExpectRefused(c, [&] { io->DeserializeProcess(session, card, c.data, "", nullptr); });
  EXPECT_TRUE(update->GetInUpdate()) << "the caller's bracket is the caller's";
  update->CancelUpdate();
  EXPECT_EQ(Now(), before) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Inputs, ExchangeHostileTest, ::testing::ValuesIn(HostileCases()),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return info.param.name; });

class ExchangeFileTest : public ExchangeFixture {};

TEST_F(ExchangeFileTest, AFileThatIsNotThereHoldsNoProcess) {
  EXPECT_EQ(CodeOf([&] { io->ImportProcess(session, card, "/nonexistent/exchange.xml", "", nullptr); }),
            err::kNoProcessInData);
}

// Only a regular file is read, and only one within the limit, which a
// caller can move; an attribute longer than its limit is refused by name.
// Each leaves the card as it was; none waits for a writer or reads a
// device to the end of memory.
TEST_F(ExchangeFileTest, WhatIsNotAFileOrIsTooLargeIsRefusedBeforeItIsRead) {
  ::embedded::testing::TempFolder folder;
  const std::string fifo = folder.File("pipe.xml");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string small = folder.File("small.xml");
  std::ofstream(small, std::ios::binary) << "<Data><Process><MainInfo Name=\"A name of some length\"/></Process></Data>";
  const std::string before = card->GetXML(false);
  auto refused = [&](const std::string& path, const std::string& says) {
    try {
      io->ImportProcess(session, card, path, "", nullptr);
      ADD_FAILURE() << path << " imported";
    } catch (const com::Error& e) {
      EXPECT_EQ(com::HexCode(e.code()), com::HexCode(com::hr::kInvalidArg)) << path;
      EXPECT_NE(e.description().find(says), std::string::npos) << path << ": " << e.description();
    }
    EXPECT_EQ(card->GetXML(false), before) << path;
  };
  refused(fifo, "is a pipe");
  refused("/dev/zero", "is a device");
  refused(folder.File(""), "is a folder");

  auto limits = com::Query<ExchangeLimits>(io);
  limits->SetMaxFileSize(40);
  refused(small, "more than the 40 an import reads");
  limits->SetMaxFileSize(ExchangeLimits::kDefaultMaxFileSize);
  limits->SetMaxAttributeSize(10);
  refused(small, "Element \"MainInfo\", attribute \"Name\": its value of 21 bytes is longer than the 10");
  EXPECT_NE(CodeOf([&] { io->DeserializeProcess(session, card, "<Data><Process><MainInfo Name=\"A name of some length\"/>"
                                                               "</Process></Data>", "", nullptr); }),
            com::hr::kOk);
  limits->SetMaxAttributeSize(21);
  io->ImportProcess(session, card, small, "", nullptr);
  EXPECT_EQ(card->GetDescription(), "A name of some length");
}

// What an export writes an import reads: a chain of sub-processes as deep
// as the limit goes out and back in; one more is refused by the export with
// the error the import gives such a document.
TEST_F(ExchangeFileTest, ExportAndImportAgreeOnHowDeepCardsAreEmbedded) {
  std::vector<com::Ref<ostrel::CardData>> chain{card};
  for (int i = 0; i < 33; ++i) {
    chain.push_back(NewCard(layout::kProcessCardType));
    Attach(chain[i])->Functions()->AddNew()->SetCardID(chain.back()->GetID());
  }
  // Cut at the limit: the 32nd embedded card links no further.
  Attach(chain[32])->Functions()->Item(Variant(1))->SetCardID("");
  const std::string deepest = io->SerializeProcess(session, card);
  auto copy = NewCard(layout::kProcessCardType);
  auto created = com::Make<com::KeyedList>();
  io->DeserializeProcess(session, copy, deepest, "", created);
  EXPECT_EQ(created->size(), 32u);

  Attach(chain[32])->Functions()->Item(Variant(1))->SetCardID(chain[33]->GetID());
  try {
    io->SerializeProcess(session, card);
    ADD_FAILURE() << "exported";
  } catch (const com::Error& e) {
    EXPECT_EQ(com::HexCode(e.code()), com::HexCode(com::hr::kInvalidArg));
    EXPECT_NE(e.description().find("more than 32 deep"), std::string::npos) << e.description();
  }
}

TEST_F(ExchangeFileTest, AnExportThatFailsWritesNoFile) {
  ::embedded::testing::TempFolder folder;
  const std::string path = folder.File("not_written.xml");
  auto gone = NewCard(layout::kProcessCardType);
  auto other = Attach(gone);
  session->GetCardManager()->DeleteCard(gone->GetID(), true);
  EXPECT_NE(CodeOf([&] { io->ExportProcess(session, gone, path); }), com::hr::kOk);
  EXPECT_FALSE(std::ifstream(path).good());
  EXPECT_NE(CodeOf([&] { io->ExportProcess(session, card, "/nonexistent/folder/exchange.xml"); }), com::hr::kOk);
}

}  // namespace
}  // namespace vorlane::testing
