// The store file: the first write of a large process card and opening it
// again, each beside a raw bulk insert and select of the same rows in the
// same run; UpdateNow of one changed row of that card; the cards of a type
// and template flag over 10,000 cards.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "embedded/store/field_blob.h"
#include "embedded/store/open.h"
#include "embedded/store/sqlite_storage.h"
#include "platform/ostrel/card_types.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_update.h"
#include "platform/com/collection.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"

namespace {

using com::Variant;

constexpr const char* kProcessType = ostrel::card_type::kProcess;
constexpr const char* kFunctions = "{10105dc1-8b61-4a76-b719-02d679662606}";
constexpr const char* kPassStates = "{97cc73ba-1953-4a70-8460-415bd4bcaaae}";
constexpr const char* kConstraints = "{DDF1C304-3967-4D36-97D2-D38F9F392489}";
constexpr const char* kLinks = "{d2527f62-62b1-4f47-9d71-916c22d6994d}";

// A folder for the run's files, removed at the end.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlane-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
  }
  ~Folder() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Removes a store file with its log, index and session folder.
  static void Remove(const std::string& file) {
    for (const char* tail : {"", "-wal", "-shm"}) std::filesystem::remove(file + tail);
    std::filesystem::remove_all(file + "-sessions");
  }

 private:
  std::string path_;
};

Folder& Files() {
  static Folder folder;
  return folder;
}

std::string Id() { return com::Guid::Generate().ToString(); }

// A process card of `functions` functions, each with two pass states of one
// constraint each, and a link per ten functions: 5.1 rows per function
// (10,000 functions: 51,000 rows). Built in a bracket that is still open.
com::Ref<ostrel::CardData> BuildCard(const com::Ref<ostrel::Session>& session, int functions) {
  auto card = session->GetCardManager()->CreateCardData(kProcessType, 0);
  com::Query<ostrel::CardUpdate>(card)->BeginUpdate();
  auto rows = card->GetSections()->Item(kFunctions)->GetRows();
  for (int i = 0; i < functions; ++i) {
    auto fn = rows->AddNew(0);
    fn->SetField("ID", Variant(Id()));
    fn->SetField("Caption", Variant("Step " + std::to_string(i)));
    fn->SetField("TypeID", Variant("{6C0C1E1B-8A1A-4C8B-9F4A-6D3C2B1A0F9E}"));
    fn->SetField("XPos", Variant(10.0 * i));
    fn->SetField("YPos", Variant(20.0));
    fn->SetField("Width", Variant(int16_t{120}));
    fn->SetField("Height", Variant(int16_t{60}));
    fn->SetField("Data", Variant("<settings timeout=\"30\" retries=\"3\"/>"));
    for (int p = 0; p < 2; ++p) {
      auto pass = fn->GetSubSections()->Item(kPassStates)->GetRows()->AddNew(0);
      pass->SetField("ID", Variant(Id()));
      pass->SetField("Pass", Variant(int32_t{p}));
      auto constraint = pass->GetSubSections()->Item(kConstraints)->GetRows()->AddNew(0);
      constraint->SetField("ID", Variant(Id()));
      constraint->SetField("PrevFunction", Variant(Id()));
    }
  }
  auto links = card->GetSections()->Item(kLinks)->GetRows();
  for (int i = 0; i < functions / 10; ++i) {
    auto link = links->AddNew(0);
    link->SetField("ID", Variant(Id()));
    link->SetField("Source", Variant(Id()));
    link->SetField("Destination", Variant(Id()));
  }
  return card;
}

com::Ref<ostrel::Session> SessionOn(const std::string& file) { return embedded::Open({.store_file = file}); }

// The store's first write of the card: the EndUpdate of the bracket that
// holds all of its rows; in a store file, and in memory for the store's own
// share of the cost.
void BM_FirstWriteOfCard(benchmark::State& state) {
  const bool in_memory = state.range(1) != 0;
  const std::string file = Files().File("first.vorlane");
  for (auto _ : state) {
    state.PauseTiming();
    Folder::Remove(file);
    {
      auto session = in_memory ? embedded::Open({}) : SessionOn(file);
      auto card = BuildCard(session, static_cast<int>(state.range(0)));
      state.ResumeTiming();
      com::Query<ostrel::CardUpdate>(card)->EndUpdate();
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetLabel(in_memory ? "memory" : "file");
  state.counters["rows"] = static_cast<double>(state.range(0) * 51 / 10);
}
BENCHMARK(BM_FirstWriteOfCard)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)->Iterations(3);

// A written card for the reading benchmarks, made once per size.
struct WrittenCard {
  std::string file;
  std::string id;
  std::vector<embedded::RowRecord> rows;
};

const WrittenCard& Written(int functions) {
  static std::map<int, WrittenCard> made;
  auto it = made.find(functions);
  if (it != made.end()) return it->second;
  WrittenCard w;
  w.file = Files().File("card" + std::to_string(functions) + ".vorlane");
  {
    auto session = SessionOn(w.file);
    auto card = BuildCard(session, functions);
    com::Query<ostrel::CardUpdate>(card)->EndUpdate();
    w.id = card->GetID();
  }
  embedded::SqliteStorage storage(w.file);
  const std::optional<embedded::CardImage> image = storage.Load(com::Guid(w.id));
  for (const auto& [id, row] : image->rows) w.rows.push_back(row);
  return made.emplace(functions, std::move(w)).first->second;
}

// Opening the written card in a new session: its rows read from the file
// and made the session's open card; in memory for the store's own share.
void BM_OpenCard(benchmark::State& state) {
  const WrittenCard& w = Written(static_cast<int>(state.range(0)));
  const bool in_memory = state.range(1) != 0;
  auto store = embedded::Store::Open({.path = in_memory ? std::string() : w.file});
  std::string id = w.id;
  if (in_memory) {
    auto card = BuildCard(embedded::Open({.store = store}), static_cast<int>(state.range(0)));
    com::Query<ostrel::CardUpdate>(card)->EndUpdate();
    id = card->GetID();
  }
  for (auto _ : state) {
    auto session = embedded::Open({.store = store});
    benchmark::DoNotOptimize(session->GetCardManager()->GetCardData(id));
  }
  state.SetLabel(in_memory ? "memory" : "file");
  state.counters["rows"] = static_cast<double>(w.rows.size());
}
BENCHMARK(BM_OpenCard)->Args({2000, 0})->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

// The storage's read of the card alone: the rows as a card image.
void BM_LoadFromFile(benchmark::State& state) {
  const WrittenCard& w = Written(static_cast<int>(state.range(0)));
  embedded::SqliteStorage storage(w.file);
  for (auto _ : state) benchmark::DoNotOptimize(storage.Load(com::Guid(w.id)));
  state.counters["rows"] = static_cast<double>(w.rows.size());
}
BENCHMARK(BM_LoadFromFile)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The floor the store is measured against: the same rows, fields in one
// blob each, inserted by plain SQLite in one transaction (same journal and
// durability as the store) and selected back.
struct RawDb {
  sqlite3* db = nullptr;
  explicit RawDb(const std::string& file) {
    sqlite3_open(file.c_str(), &db);
    Exec("PRAGMA journal_mode = WAL");
    Exec("PRAGMA synchronous = FULL");
  }
  ~RawDb() { sqlite3_close(db); }
  void Exec(const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
  }
};

void InsertRaw(RawDb& raw, const std::vector<embedded::RowRecord>& rows) {
  raw.Exec("BEGIN IMMEDIATE");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(raw.db, "INSERT INTO raw(card, id, section, parent, seq, fields) VALUES (1, ?, ?, ?, ?, ?)", -1,
                     &insert, nullptr);
  std::string blob;
  for (const embedded::RowRecord& r : rows) {
    blob.clear();
    embedded::EncodeFields(r.fields, blob);
    sqlite3_bind_blob(insert, 1, r.id.bytes().data(), 16, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 2, r.section.bytes().data(), 16, SQLITE_STATIC);
    if (r.parent.IsNull()) {
      sqlite3_bind_null(insert, 3);
    } else {
      sqlite3_bind_blob(insert, 3, r.parent.bytes().data(), 16, SQLITE_STATIC);
    }
    sqlite3_bind_int64(insert, 4, r.seq);
    sqlite3_bind_blob(insert, 5, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  raw.Exec("COMMIT");
}

void BM_RawInsertOfTheSameRows(benchmark::State& state) {
  const WrittenCard& w = Written(static_cast<int>(state.range(0)));
  const std::string file = Files().File("raw.db");
  for (auto _ : state) {
    state.PauseTiming();
    Folder::Remove(file);
    {
      RawDb raw(file);
      raw.Exec("CREATE TABLE raw(card INTEGER, id BLOB, section BLOB, parent BLOB, seq INTEGER, fields BLOB)");
      state.ResumeTiming();
      InsertRaw(raw, w.rows);
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(w.rows.size());
}
BENCHMARK(BM_RawInsertOfTheSameRows)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same insert into a table laid out as the store's is: keyed by card
// and row ID, with the index of rows by parent that a removal walks, the
// rows in the order of the key (as the store writes them). What the store's
// own layout costs SQLite, apart from the store's work.
void BM_RawInsertIntoTheStoreLayout(benchmark::State& state) {
  const WrittenCard& w = Written(static_cast<int>(state.range(0)));
  std::vector<embedded::RowRecord> rows = w.rows;
  std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.id.bytes() < b.id.bytes(); });
  const std::string file = Files().File("raw-layout.db");
  for (auto _ : state) {
    state.PauseTiming();
    Folder::Remove(file);
    {
      RawDb raw(file);
      raw.Exec(
          "CREATE TABLE raw(card INTEGER NOT NULL, id BLOB NOT NULL, section BLOB NOT NULL, parent BLOB, "
          "seq INTEGER NOT NULL, fields BLOB NOT NULL, PRIMARY KEY (card, id)) WITHOUT ROWID");
      raw.Exec("CREATE INDEX raw_by_parent ON raw(card, parent) WHERE parent IS NOT NULL");
      state.ResumeTiming();
      InsertRaw(raw, rows);
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_RawInsertIntoTheStoreLayout)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RawSelectOfTheSameRows(benchmark::State& state) {
  const WrittenCard& w = Written(static_cast<int>(state.range(0)));
  const std::string file = Files().File("raw-read.db");
  Folder::Remove(file);
  RawDb raw(file);
  raw.Exec("CREATE TABLE raw(card INTEGER, id BLOB, section BLOB, parent BLOB, seq INTEGER, fields BLOB)");
  InsertRaw(raw, w.rows);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(raw.db, "SELECT id, section, parent, seq, fields FROM raw WHERE card = 1", -1, &select, nullptr);
  struct Raw {
    std::string id, section, parent, fields;
    int64_t seq;
  };
  auto text = [&](int i) {
    return std::string(static_cast<const char*>(sqlite3_column_blob(select, i)),
                       static_cast<size_t>(sqlite3_column_bytes(select, i)));
  };
  for (auto _ : state) {
    std::vector<Raw> out;
    while (sqlite3_step(select) == SQLITE_ROW) {
      out.push_back({text(0), text(1), sqlite3_column_type(select, 2) == SQLITE_NULL ? std::string() : text(2), text(4),
                     sqlite3_column_int64(select, 3)});
    }
    sqlite3_reset(select);
    benchmark::DoNotOptimize(out.data());
  }
  sqlite3_finalize(select);
  state.counters["rows"] = static_cast<double>(w.rows.size());
}
BENCHMARK(BM_RawSelectOfTheSameRows)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A write after changing one field of one row of the large card, in a
// bracket that stays open (UpdateNow), at each durability. Every durability
// and repetition writes the same card: the values count on across them, so
// that each iteration changes the row instead of writing what an earlier
// run left there.
void BM_UpdateNowOfOneChangedRow(benchmark::State& state) {
  static int64_t written = 0;
  const WrittenCard& w = Written(10000);
  const auto durability = static_cast<embedded::Durability>(state.range(0));
  auto session = embedded::Open({.store = embedded::Store::Open({.path = w.file, .durability = durability})});
  auto card = session->GetCardManager()->GetCardData(w.id);
  auto update = com::Query<ostrel::CardUpdate>(card);
  auto functions = card->GetSections()->Item(kFunctions)->GetRows();
  update->BeginUpdate();
  for (auto _ : state) {
    ++written;
    functions->Item(Variant(static_cast<int32_t>(written % 10000)))
        ->SetField("Caption", Variant("Changed " + std::to_string(written)));
    update->UpdateNow();
  }
  update->EndUpdate();
  state.SetLabel(durability == embedded::Durability::kFull ? "FULL" : "NORMAL");
}
BENCHMARK(BM_UpdateNowOfOneChangedRow)
    ->Arg(static_cast<int>(embedded::Durability::kFull))
    ->Arg(static_cast<int>(embedded::Durability::kNormal))
    ->Unit(benchmark::kMillisecond);

// Finding the templates among 10,000 process cards (one in a hundred):
// FindCards, which reads the index of cards by type and template flag and
// opens the cards it finds, and the index query alone.
const std::string& ManyCards() {
  static const std::string file = [] {
    std::string f = Files().File("many.vorlane");
    auto store = embedded::Store::Open({.path = f, .durability = embedded::Durability::kOff});
    auto cards = embedded::Open({.store = store})->GetCardManager();
    for (int i = 0; i < 10000; ++i) cards->CreateCardData(kProcessType, i % 100 == 0 ? 1 : 0);
    return f;
  }();
  return file;
}

void BM_FindCardsTemplatesAmong10000(benchmark::State& state) {
  auto cards = embedded::Open({.store_file = ManyCards()})->GetCardManager();
  const std::string query = std::string("<cardSearch><cardType id=\"") + kProcessType +
                            "\"><section id=\"{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}\">"
                            "<condition field=\"Template\" op=\"equals\" value=\"1\" typed=\"true\"/>"
                            "</section></cardType></cardSearch>";
  int32_t found = 0;
  for (auto _ : state) found = cards->FindCards(query)->Count();
  state.counters["found"] = found;
}
BENCHMARK(BM_FindCardsTemplatesAmong10000)->Unit(benchmark::kMillisecond);

void BM_TemplateIndexAmong10000(benchmark::State& state) {
  embedded::SqliteStorage storage(ManyCards());
  const com::Guid type(kProcessType);
  for (auto _ : state) benchmark::DoNotOptimize(storage.ListByTemplate(type, true));
  state.counters["found"] = static_cast<double>(storage.ListByTemplate(type, true).size());
}
BENCHMARK(BM_TemplateIndexAmong10000)->Unit(benchmark::kMicrosecond);

}  // namespace
