// The store file: cards that outlive the program, shared by processes, and
// files that cannot be stores.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "embedded/store/sqlite_storage.h"
#include "tests/embedded/store_child.h"
#include "tests/embedded/store_fixture.h"

namespace embedded::testing {
namespace {

class StoreFile : public ::testing::Test {
 protected:
  // The tests' own stores need not wait for the disk (the children do).
  std::shared_ptr<Store> OpenStore() { return Store::Open({.path = file_, .durability = Durability::kNormal}); }
  static com::Ref<ostrel::Session> SessionOn(const std::shared_ptr<Store>& store, const std::string& account) {
    return Open({.store = store, .account = account});
  }
  static com::Ref<ostrel::Row> MainRow(const com::Ref<ostrel::CardData>& card) {
    return card->GetSections()->Item(kMainInfo)->GetFirstRow();
  }
  static com::Ref<ostrel::RowCollection> Rows(const com::Ref<ostrel::CardData>& card, const char* section) {
    return card->GetSections()->Item(section)->GetRows();
  }
  static int32_t LockStatus(const com::Ref<ostrel::CardData>& card) {
    return com::Query<ostrel::CardLock>(card)->GetLockStatus();
  }
  // A process card in the file, with its ID.
  std::string NewCardInFile() {
    auto store = OpenStore();
    auto card = SessionOn(store, "alice")->GetCardManager()->CreateCardData(kProcessType, 0);
    MainRow(card)->SetField("Name", Text("start"));
    return card->GetID();
  }
  size_t SessionMarks() const {
    std::error_code ec;
    auto it = std::filesystem::directory_iterator(file_ + "-sessions", ec);
    return ec ? 0 : static_cast<size_t>(std::distance(it, std::filesystem::directory_iterator()));
  }

  TempFolder folder_;
  std::string file_ = folder_.File("cards.vorlane");
};

TEST_F(StoreFile, ReopeningGivesTheSameCards) {
  std::map<std::string, std::string> xml;
  std::string instance, templ, gone, folders;
  {
    auto store = OpenStore();
    auto cards = SessionOn(store, "alice")->GetCardManager();
    auto card = cards->CreateCardData(kProcessType, 0);
    instance = card->GetID();
    auto update = com::Query<ostrel::CardUpdate>(card);
    update->BeginUpdate();
    card->SetDescription("Заявка на отпуск");
    MainRow(card)->SetField("Name", Text("Отпуск"));
    MainRow(card)->SetField("DateBegin", com::Variant(com::Date{46000.25}));
    for (int i = 0; i < 3; ++i) {
      auto fn = Rows(card, kFunctions)->AddNew(0);
      fn->SetField("Caption", Text(("Шаг " + std::to_string(i)).c_str()));
      fn->SetField("XPos", com::Variant(12.5 * i));
      fn->SetField("Width", com::Variant(int16_t{80}));
      fn->SetField("UseSparedData", com::Variant(true));
      auto spare = fn->GetSubSections()->Item(kFunctionSpare)->GetRows()->AddNew(0);
      spare->SetField("Data", com::Variant(std::string(5000, 'x')));
      auto pass = fn->GetSubSections()->Item(kPassStates)->GetRows()->AddNew(0);
      pass->SetField("Pass", com::Variant(int32_t{i}));
    }
    auto variable = Rows(card, kVariables)->AddNew(0);
    variable->SetField("Name", Text("amount"));
    variable->SetField("Value", com::Variant(2.5f));
    Rows(card, kLog)->AddNew(0)->SetField("Message", Text("started"));
    update->EndUpdate();
    xml[instance] = card->GetXML(false);

    auto t = cards->CreateCardData(kProcessType, ostrel::create_flag::kTemplate);
    templ = t->GetID();
    xml[templ] = t->GetXML(false);
    gone = cards->CreateCardData(kProcessType, 0)->GetID();
    cards->DeleteCard(gone, true);

    auto tree = cards->GetDictionaryData(kFolderType);
    folders = tree->GetID();
    auto root = Rows(tree, kFolders)->Item(com::Variant(int32_t{0}));
    root->GetChildRows()->AddNew(0)->SetField("Name", Text("Архив"));
    xml[folders] = tree->GetXML(false);
  }

  auto store = OpenStore();
  auto cards = SessionOn(store, "bob")->GetCardManager();
  for (const auto& [id, text] : xml) EXPECT_EQ(cards->GetCardData(id)->GetXML(false), text) << id;
  auto card = cards->GetCardData(instance);
  auto variable = Rows(card, kVariables)->Item(com::Variant(int32_t{0}));
  EXPECT_EQ(variable->GetField("Value").type(), com::Variant::Type::R4);
  EXPECT_EQ(Rows(card, kFunctions)->Item(com::Variant(int32_t{0}))->GetField("Width").type(),
            com::Variant::Type::I2);
  EXPECT_EQ(cards->GetCardStatus(gone), 0);
  EXPECT_EQ(CodeOf([&] { cards->GetCardData(gone); }), ostrel::err::kCardDeleted);
  EXPECT_EQ(cards->GetDictionaryData(kFolderType)->GetID(), folders);
  // The index of cards by type and template flag, in creation order.
  Storage& storage = store->storage();
  const com::Guid type(kProcessType);
  EXPECT_EQ(storage.List(type), (std::vector<com::Guid>{com::Guid(instance), com::Guid(templ)}));
  EXPECT_EQ(storage.ListByTemplate(type, true), std::vector<com::Guid>{com::Guid(templ)});
  EXPECT_EQ(storage.ListByTemplate(type, false), std::vector<com::Guid>{com::Guid(instance)});
}

TEST_F(StoreFile, TheWriteSequenceGoesOnAfterReopening) {
  int64_t last;
  {
    SqliteStorage storage(file_);
    storage.NextSequence();
    last = storage.NextSequence();
  }
  SqliteStorage storage(file_);
  EXPECT_GT(storage.NextSequence(), last);
  SqliteStorage other(file_);
  std::set<int64_t> seen;
  for (int i = 0; i < 2500; ++i) {
    EXPECT_TRUE(seen.insert(storage.NextSequence()).second);
    EXPECT_TRUE(seen.insert(other.NextSequence()).second);
  }
}

TEST_F(StoreFile, TheFileRecordsTheVersionOfItsCardTypes) {
  { SqliteStorage storage(file_, {.schemas = "v1"}); }
  {
    SqliteStorage storage(file_, {.schemas = "v2"});
    EXPECT_EQ(storage.written_schemas(), "v1");
  }
  Store::Open({.path = file_});
  SqliteStorage storage(file_);
  EXPECT_EQ(storage.written_schemas(), SqliteStorage::SchemasVersion(Schema::BuiltinSources()));
}

// Both storages in one process stand for two programs: their sessions see
// each other's locks through the file.
TEST_F(StoreFile, TwoStoresOnOneFileShareLocksAndWrites) {
  std::string id = NewCardInFile();
  auto first = OpenStore();
  auto second = OpenStore();
  auto bob = SessionOn(second, "bob");
  auto theirs = bob->GetCardManager()->GetCardData(id);
  {
    auto alice = SessionOn(first, "alice");
    auto mine = alice->GetCardManager()->GetCardData(id);
    com::Query<ostrel::CardLock>(mine)->Lock(false);
    EXPECT_EQ(SessionMarks(), 1u);
    EXPECT_EQ(LockStatus(theirs), ostrel::lock_status::kOtherAccount);
    EXPECT_EQ(CodeOf([&] { MainRow(theirs)->SetField("Name", Text("bob's")); }), ostrel::err::kRefused);
    MainRow(mine)->SetField("Name", Text("alice's"));
    EXPECT_EQ(MainRow(theirs)->GetField("Name"), Text("start"));  // until it refreshes
    theirs->Refresh(false);
    EXPECT_EQ(MainRow(theirs)->GetField("Name"), Text("alice's"));
  }
  // The session ended: its lock and its mark went with it.
  EXPECT_EQ(LockStatus(theirs), ostrel::lock_status::kFree);
  EXPECT_EQ(SessionMarks(), 0u);
}

TEST_F(StoreFile, LocksAreSeenAcrossProcesses) {
  std::string id = NewCardInFile();
  auto store = OpenStore();
  auto alice = SessionOn(store, "alice");
  auto card = alice->GetCardManager()->GetCardData(id);

  Child bob({file_, "lock", id, "bob"});
  ASSERT_EQ(bob.ReadLine(), "locked");
  EXPECT_EQ(LockStatus(card), ostrel::lock_status::kOtherAccount);
  EXPECT_EQ(com::Query<ostrel::CardLock>(card)->GetLockOwner(), "bob");
  EXPECT_EQ(CodeOf([&] { com::Query<ostrel::CardLock>(card)->Lock(false); }), ostrel::err::kRefused);
  EXPECT_NE(alice->GetLastErrorText().find("locked by bob"), std::string::npos) << alice->GetLastErrorText();
  EXPECT_EQ(CodeOf([&] { MainRow(card)->SetField("Name", Text("mine")); }), ostrel::err::kRefused);
  bob.Send("unlock");
  ASSERT_EQ(bob.ReadLine(), "unlocked");
  EXPECT_EQ(LockStatus(card), ostrel::lock_status::kFree);
  bob.CloseInput();
  EXPECT_EQ(bob.Wait(), 0);

  // The same account in another process.
  Child other_alice({file_, "lock", id, "ALICE"});
  ASSERT_EQ(other_alice.ReadLine(), "locked");
  EXPECT_EQ(LockStatus(card), ostrel::lock_status::kSameAccount);
  other_alice.CloseInput();
  EXPECT_EQ(other_alice.Wait(), 0);
  EXPECT_EQ(LockStatus(card), ostrel::lock_status::kFree);

  // And the other way round: the child is refused the card this one holds.
  com::Query<ostrel::CardLock>(card)->Lock(false);
  Child refused({file_, "lock", id, "bob"});
  EXPECT_NE(refused.ReadLine().find("error 0x80040751 The card " + id + " is locked by alice."), std::string::npos);
  EXPECT_EQ(refused.Wait(), 1);
}

TEST_F(StoreFile, AChangeWrittenByOneProcessIsReadByTheOther) {
  std::string id = NewCardInFile();
  auto store = OpenStore();
  auto card = SessionOn(store, "alice")->GetCardManager()->GetCardData(id);
  Child writer({file_, "set", id, "Name", "Отчёт"});
  ASSERT_EQ(writer.ReadLine(), "done");
  EXPECT_EQ(writer.Wait(), 0);
  EXPECT_EQ(MainRow(card)->GetField("Name"), Text("start"));
  card->Refresh(false);
  EXPECT_EQ(MainRow(card)->GetField("Name"), Text("Отчёт"));

  MainRow(card)->SetField("Name", Text("back"));
  Child reader({file_, "get", id, "Name"});
  EXPECT_EQ(reader.ReadLine(), "back");
  EXPECT_EQ(reader.Wait(), 0);
}

TEST_F(StoreFile, ALockOfAProcessThatDiedIsStale) {
  std::string id = NewCardInFile();
  Child holder({file_, "lock", id, "bob"});
  ASSERT_EQ(holder.ReadLine(), "locked");
  auto store = OpenStore();
  auto card = SessionOn(store, "alice")->GetCardManager()->GetCardData(id);
  EXPECT_EQ(LockStatus(card), ostrel::lock_status::kOtherAccount);
  holder.Kill();
  EXPECT_EQ(SessionMarks(), 1u);  // the dead session's mark is still there
  EXPECT_EQ(LockStatus(card), ostrel::lock_status::kFree);
  EXPECT_EQ(SessionMarks(), 0u);  // and went when it was found stale
  com::Query<ostrel::CardLock>(card)->Lock(false);
  MainRow(card)->SetField("Name", Text("taken over"));
}

TEST_F(StoreFile, AStaleLockDoesNotStopAWriteOrALock) {
  std::string id = NewCardInFile();
  auto store = OpenStore();
  auto card = SessionOn(store, "alice")->GetCardManager()->GetCardData(id);
  for (bool lock_first : {false, true}) {
    Child holder({file_, "lock", id, "bob"});
    ASSERT_EQ(holder.ReadLine(), "locked");
    holder.Kill();
    // The first call to meet the lock finds it stale.
    if (lock_first) {
      com::Query<ostrel::CardLock>(card)->Lock(false);
      EXPECT_EQ(LockStatus(card), ostrel::lock_status::kThisSession);
      com::Query<ostrel::CardLock>(card)->Unlock();
    } else {
      MainRow(card)->SetField("Name", Text("written"));
      EXPECT_EQ(LockStatus(card), ostrel::lock_status::kFree);
    }
    // The dead session's mark went; a session that locked keeps its own.
    EXPECT_EQ(SessionMarks(), lock_first ? 1u : 0u);
  }
}

TEST_F(StoreFile, OpeningTheFileReleasesTheLocksOfDeadSessions) {
  std::string id = NewCardInFile();
  Child holder({file_, "lock", id, "bob"});
  ASSERT_EQ(holder.ReadLine(), "locked");
  holder.Kill();
  ASSERT_EQ(SessionMarks(), 1u);
  SqliteStorage storage(file_);
  EXPECT_EQ(SessionMarks(), 0u);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file_.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* count = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM locks", -1, &count, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(count, 0), 0);
  sqlite3_finalize(count);
  sqlite3_close(db);
}

TEST_F(StoreFile, AProcessKilledBetweenItsWritesLeavesTheLastWrittenStateWhole) {
  for (int round = 1; round <= 3; ++round) {
    std::string id = NewCardInFile();
    Child writer({file_, "write-loop", id});
    int reported = 0;
    while (reported < 2 * round) reported = std::stoi(writer.ReadLine());
    writer.Kill();  // wherever it is: making the next bracket or writing it
    // It may have finished and reported more brackets before the signal came.
    for (std::string line = writer.ReadLine(); !line.empty(); line = writer.ReadLine()) {
      reported = std::stoi(line);
    }

    auto card = SessionOn(OpenStore(), "alice")->GetCardManager()->GetCardData(id);
    const std::string name = MainRow(card)->GetField("Name").ToText();
    const int written = std::stoi(name);
    EXPECT_GE(written, reported);
    EXPECT_LE(written, reported + 1);
    EXPECT_EQ(card->GetDescription(), name);
    // Every bracket written added its 20 rows, none half of them.
    auto functions = Rows(card, kFunctions);
    std::map<int, int> per_bracket;
    for (int32_t i = 0; i < functions->Count(); ++i) {
      ++per_bracket[std::stoi(functions->Item(com::Variant(i))->GetField("Caption").ToText())];
    }
    EXPECT_EQ(per_bracket.size(), static_cast<size_t>(written));
    for (const auto& [n, count] : per_bracket) EXPECT_EQ(count, 20) << "bracket " << n;
  }
}

TEST_F(StoreFile, AFaultInTheMiddleOfAWriteOfSeveralCardsKeepsNoneOfIt) {
  std::string a, b, c;
  {
    auto cards = SessionOn(OpenStore(), "alice")->GetCardManager();
    for (std::string* id : {&a, &b, &c}) {
      auto card = cards->CreateCardData(kProcessType, 0);
      MainRow(card)->SetField("Name", Text("first"));
      *id = card->GetID();
    }
  }
  SqliteStorage storage(file_);
  auto a_rows = storage.Load(com::Guid(a))->rows;
  ASSERT_FALSE(a_rows.empty());
  const com::Guid a_row = a_rows.begin()->first;
  ChangeSet set;
  CardChange ca;
  ca.card = com::Guid(a);
  ca.header = storage.Load(com::Guid(a))->header;
  ca.header->description = "changed";
  ca.header_parts = kHeaderDescription;
  ca.updated.push_back({a_row, "Name", com::Variant("changed")});
  RowRecord added;
  added.id = com::Guid::Generate();
  added.section = com::Guid(kFunctions);
  added.seq = 100;
  ca.inserted.push_back(added);
  CardChange cb;
  cb.card = com::Guid(b);
  const CardImage b_image = *storage.Load(com::Guid(b));
  for (const auto& [row, record] : b_image.rows) cb.removed.push_back(row);
  set.cards = {ca, cb};
  set.deleted.push_back(com::Guid(c));
  const Storage::Writer writer{"s1", "alice"};
  storage.InjectWriteFault(1);
  EXPECT_EQ(CodeOf([&] { storage.Write(set, writer); }), ostrel::err::kStorageFailure);

  // What another program reads of the file is what was there before.
  SqliteStorage reader(file_);
  EXPECT_EQ(reader.Load(com::Guid(a))->header.description, "");
  EXPECT_EQ(reader.Load(com::Guid(a))->rows.size(), a_rows.size());
  EXPECT_FALSE(reader.Load(com::Guid(b))->rows.empty());
  EXPECT_EQ(reader.GetStatus(com::Guid(c)), Storage::Status::kExists);
  storage.Write(set, writer);
  EXPECT_EQ(reader.Load(com::Guid(a))->header.description, "changed");
  EXPECT_EQ(*reader.Load(com::Guid(a))->rows.at(a_row).Find("Name"), com::Variant("changed"));
  EXPECT_TRUE(reader.Load(com::Guid(b))->rows.empty());
  EXPECT_EQ(reader.GetStatus(com::Guid(c)), Storage::Status::kDeleted);
}

void RunSql(const std::string& file, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST_F(StoreFile, AFileOfTheFirstLayoutIsUpgradedAndKeepsItsCards) {
  std::string id = NewCardInFile();
  // The first layout had no record of who wrote a card last, nor of how often.
  RunSql(file_,
         "ALTER TABLE cards DROP COLUMN modified_by; ALTER TABLE cards DROP COLUMN writes; "
         "UPDATE meta SET value = 1 WHERE key = 'layout'; PRAGMA user_version = 1;");
  auto store = OpenStore();
  auto bob = SessionOn(store, "bob");
  auto card = bob->GetCardManager()->GetCardData(id);
  EXPECT_EQ(MainRow(card)->GetField("Name"), Text("start"));
  auto alice = SessionOn(store, "alice");
  MainRow(alice->GetCardManager()->GetCardData(id))->SetField("Name", Text("alice's"));
  EXPECT_NE(TextOf([&] { MainRow(card)->SetField("Name", Text("bob's")); }).find("was changed by alice at"),
            std::string::npos);
}

TEST_F(StoreFile, AFileOfTheSecondLayoutIsUpgradedAndARefreshSeesTheNextWrite) {
  std::string id = NewCardInFile();
  // The second layout kept no count of a card's writes: its cards start
  // from none.
  RunSql(file_,
         "ALTER TABLE cards DROP COLUMN writes; UPDATE meta SET value = 2 WHERE key = 'layout'; "
         "PRAGMA user_version = 2;");
  auto store = OpenStore();
  auto bobs = SessionOn(store, "bob")->GetCardManager()->GetCardData(id);
  EXPECT_EQ(MainRow(bobs)->GetField("Name"), Text("start"));
  MainRow(SessionOn(store, "alice")->GetCardManager()->GetCardData(id))->SetField("Name", Text("alice's"));
  bobs->Refresh(true);
  EXPECT_EQ(MainRow(bobs)->GetField("Name"), Text("alice's"));
}

// ---- files that cannot be stores ----------------------------------------------

struct BadFile {
  const char* what;
  // Makes the file from a good store file (or from nothing).
  std::function<void(const std::string& file)> make;
  const char* cause;  // in the error text
};

void PrintTo(const BadFile& bad, std::ostream* out) { *out << bad.what; }

class BadStoreFile : public StoreFile, public ::testing::WithParamInterface<BadFile> {};

TEST_P(BadStoreFile, IsRefusedWithItsCauseAndLeftAsItWas) {
  const BadFile& bad = GetParam();
  bad.make(file_);
  const std::string before = ReadWholeFile(file_);
  std::string text;
  EXPECT_EQ(CodeOf([&] { Open({.store_file = file_}); }), ostrel::err::kStorageFailure);
  text = TextOf([&] { Store::Open({.path = file_}); });
  EXPECT_NE(text.find("\"" + file_ + "\""), std::string::npos) << text;
  EXPECT_NE(text.find(bad.cause), std::string::npos) << text;
  EXPECT_EQ(ReadWholeFile(file_), before);
}

void MakeStore(const std::string& file) {
  auto card = Open({.store_file = file})->GetCardManager()->CreateCardData(kProcessType, 0);
  card->SetDescription("a card");
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadStoreFile,
    ::testing::Values(
        BadFile{"NewerLayout",
                [](const std::string& f) {
                  MakeStore(f);
                  RunSql(f, "PRAGMA user_version = 4");
                },
                "was written in layout 4 by a newer version of the program"},
        BadFile{"UnknownLayout",
                [](const std::string& f) {
                  MakeStore(f);
                  RunSql(f, "PRAGMA user_version = 0");
                },
                "has an unknown layout (0)"},
        BadFile{"NoStoreHeader",
                [](const std::string& f) {
                  MakeStore(f);
                  RunSql(f, "DELETE FROM meta");
                },
                "has an unknown layout (no store header)"},
        BadFile{"MissingTable",
                [](const std::string& f) {
                  MakeStore(f);
                  RunSql(f, "DROP TABLE locks");
                },
                "has an unknown layout (tables are missing)"},
        BadFile{"StoreMarkWithoutTables",
                [](const std::string& f) { RunSql(f, "PRAGMA application_id = 1448038988; PRAGMA user_version = 1"); },
                "has an unknown layout (tables are missing)"},
        BadFile{"TextFile", [](const std::string& f) { WriteWholeFile(f, std::string(5000, 'z')); },
                "is not a store file"},
        BadFile{"OtherDatabase", [](const std::string& f) { RunSql(f, "CREATE TABLE t(x); INSERT INTO t VALUES(1)"); },
                "is not a store file: it is a database of another kind"},
        BadFile{"DamagedCatalogue",
                [](const std::string& f) {
                  MakeStore(f);
                  // Page 1 keeps its file header but loses the table catalogue.
                  std::string bytes = ReadWholeFile(f);
                  for (size_t i = 100; i < 4096; ++i) bytes[i] = static_cast<char>(0xA5);
                  WriteWholeFile(f, bytes);
                },
                "is damaged"}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.what); });

TEST_F(StoreFile, DamagedFieldsFailTheReadWithTheSessionsLastErrorText) {
  std::string id = NewCardInFile();
  RunSql(file_, "UPDATE rows SET fields = x'05416263'");
  const std::string before = ReadWholeFile(file_);
  auto session = SessionOn(OpenStore(), "alice");
  EXPECT_EQ(CodeOf([&] { session->GetCardManager()->GetCardData(id); }), ostrel::err::kStorageFailure);
  const std::string text = session->GetLastErrorText();
  EXPECT_NE(text.find("\"" + file_ + "\" is damaged"), std::string::npos) << text;
  EXPECT_NE(text.find("of card " + id), std::string::npos) << text;
  EXPECT_EQ(ReadWholeFile(file_), before);
}

TEST_F(StoreFile, AMissingOrEmptyFileBecomesAStoreOnlyWhenThatIsAsked) {
  std::string text = TextOf([&] { Store::Open({.path = file_, .create = false}); });
  EXPECT_NE(text.find("no store file \"" + file_ + "\""), std::string::npos) << text;
  EXPECT_FALSE(std::filesystem::exists(file_));
  WriteWholeFile(file_, "");
  text = TextOf([&] { Store::Open({.path = file_, .create = false}); });
  EXPECT_NE(text.find("\"" + file_ + "\" is empty"), std::string::npos) << text;
  EXPECT_EQ(std::filesystem::file_size(file_), 0u);
  EXPECT_FALSE(std::filesystem::exists(file_ + "-wal"));
  // A store made when asked opens without the permission to make one.
  Store::Open({.path = file_});
  EXPECT_NO_THROW(Store::Open({.path = file_, .create = false}));
}

// Process cards in the file, each described by its name, with their IDs.
std::map<std::string, std::string> CardsDescribed(const std::shared_ptr<Store>& store,
                                                  std::initializer_list<const char*> names) {
  std::map<std::string, std::string> ids;
  auto cards = Open({.store = store, .account = "alice"})->GetCardManager();
  for (const char* name : names) {
    auto card = cards->CreateCardData(kProcessType, 0);
    card->GetSections()->Item(kMainInfo)->GetFirstRow()->SetField("Name", com::Variant(std::string(name)));
    card->SetDescription(name);
    ids[name] = card->GetID();
  }
  return ids;
}

// A card's header that the rows do not bear out fails the read of that card
// alone, naming the file and the card; a huge count costs no memory.
TEST_F(StoreFile, ARowCountTheRowsDoNotBearOutIsDamage) {
  const auto ids = CardsDescribed(OpenStore(), {"damaged", "whole"});
  for (const char* sql : {"UPDATE cards SET row_count = 16000000 WHERE description = 'damaged'",
                          "UPDATE cards SET row_count = row_count + 1 WHERE description = 'damaged'"}) {
    SCOPED_TRACE(sql);
    RunSql(file_, sql);
    auto session = SessionOn(OpenStore(), "alice");
    EXPECT_EQ(CodeOf([&] { session->GetCardManager()->GetCardData(ids.at("damaged")); }),
              ostrel::err::kStorageFailure);
    const std::string text = session->GetLastErrorText();
    EXPECT_NE(text.find("\"" + file_ + "\" is damaged"), std::string::npos) << text;
    EXPECT_NE(text.find("card " + ids.at("damaged") + " holds"), std::string::npos) << text;
    EXPECT_NO_THROW(session->GetCardManager()->GetCardData(ids.at("whole")));
  }
}

TEST_F(StoreFile, CardsOfTypesTheStoreDoesNotKnowAreListedAsSuch) {
  const auto ids = CardsDescribed(OpenStore(), {"known", "unknown", "short"});
  RunSql(file_, "UPDATE cards SET type = x'00112233445566778899AABBCCDDEEFF' WHERE description = 'unknown';"
                "UPDATE cards SET type = x'0011' WHERE description = 'short'");
  auto store = OpenStore();
  std::map<std::string, bool> known;
  for (const Storage::CardEntry& entry : store->storage().ListEntries()) {
    known[entry.id.ToString()] = store->schema().Find(entry.type) != nullptr;
  }
  EXPECT_TRUE(known.at(ids.at("known")));
  EXPECT_FALSE(known.at(ids.at("unknown")));
  EXPECT_FALSE(known.at(ids.at("short")));
}

// A read-only file: the owner's write permission taken away. Root may
// write any file whatever its mode, so under root the open runs in a child
// process that has become the unprivileged user "nobody" (65534).
TEST_F(StoreFile, AReadOnlyFileIsRefused) {
  MakeStore(file_);
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0755), 0);
  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  const std::string before = ReadWholeFile(file_);
  std::string said;
  if (::geteuid() == 0) {
    Child child({file_, "open"}, uid_t{65534});
    said = child.ReadLine();
    int status = child.Wait();
    if (status == 126) GTEST_SKIP() << "cannot become an unprivileged user";
    ASSERT_EQ(status, 0) << said;
  } else {
    said = "error " + com::HexCode(CodeOf([&] { Open({.store_file = file_}); })) + " " +
           TextOf([&] { Open({.store_file = file_}); });
  }
  EXPECT_NE(said.find("error 0x80040500 The store file \"" + file_ + "\" is read-only"), std::string::npos) << said;
  EXPECT_EQ(ReadWholeFile(file_), before);
}

}  // namespace
}  // namespace embedded::testing
