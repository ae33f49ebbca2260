// The web card host as a browser meets it: the token and the cookie, the
// checks of a WebSocket's origin, the page's files and the listing, and a
// card driven over its WebSocket: its window, a click, the questions it
// asks the tab that owns it, a second tab that only looks, and a server
// that stops with the card open.
#include <gtest/gtest.h>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "embedded/store/open.h"
#include "embedded/web/card_worker.h"
#include "embedded/web/web_server.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_lock.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/folder.h"
#include "platform/ostrel/folder_tree.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/shortcuts.h"
#include "vorlane/functions.h"
#include "vorlane/instances.h"
#include "vorlane/library.h"
#include "vorlane/link.h"
#include "vorlane/links.h"
#include "vorlane/proc_function.h"
#include "vorlane/process.h"
#include "vorlane/templates.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

namespace embedded::web::testing {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Json = nlohmann::json;

constexpr const char* kCreators = "Korvessa Workflow Process Creators";

class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WebServer::Options o;
    o.store = store_;
    o.accounts = {{"alice", {kCreators}, ""}, {"bob", {kCreators}, ""}};
    o.grace_ms = 200;
    o.log = [this](const std::string& text) {
      std::lock_guard lock(log_mutex_);  // cards log from their own threads
      log_.push_back(text);
    };
    server_ = std::make_unique<WebServer>(std::move(o));
    server_->Start();
  }

  com::Ref<ostrel::Session> Session(const std::string& account = "alice") {
    return Open({.store = store_, .account = account, .groups = {kCreators}});
  }
  com::Ref<vorlane::Library> LibraryOf(const com::Ref<ostrel::Session>& s) {
    auto library = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library->SetConnection(com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(s.get()))));
    return library;
  }
  std::string NewTemplate() {
    auto p = LibraryOf(Session())->Templates()->AddNew();
    p->SetName("Order approval");
    p->SetVersion("4.1");
    p->SetBuildNumber(1316);
    auto start = p->Functions()->AddNew();
    start->SetCaption("Order received");
    start->SetTypeID("{2E0A9AAF-CC20-46CD-875E-F3987718C551}");
    auto task = p->Functions()->AddNew();
    task->SetCaption("Review");
    task->SetTypeID("{2B262D6F-6195-44DE-A0CC-A60129BBCF99}");
    auto link = p->Links()->AddNew();
    link->SetSource(start->ID());
    link->SetDestination(task->ID());
    return p->ID();
  }
  std::string Token(const std::string& account) {
    for (const auto& a : server_->accounts()) {
      if (a.name == account) return a.token;
    }
    return "";
  }
  std::string Host() { return "127.0.0.1:" + std::to_string(server_->port()); }
  // Waits (at most ten seconds) until the server has closed every card.
  bool CardsClosed() {
    for (int i = 0; i < 200 && server_->OpenCards() != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return server_->OpenCards() == 0;
  }

  http::response<http::string_body> Get(const std::string& target, const std::string& cookie = "",
                                        http::verb verb = http::verb::get, const std::string& body = "") {
    net::io_context io;
    beast::tcp_stream stream(io);
    stream.connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), server_->port()));
    http::request<http::string_body> req{verb, target, 11};
    req.set(http::field::host, Host());
    if (!cookie.empty()) req.set(http::field::cookie, "vorlane_token=" + cookie);
    req.body() = body;
    req.prepare_payload();
    http::write(stream, req);
    beast::flat_buffer buffer;
    http::response<http::string_body> res;
    http::read(stream, buffer, res);
    return res;
  }

  // A tab: a WebSocket on a card, as a page of this server opens it.
  struct TabSocket {
    net::io_context io;
    websocket::stream<tcp::socket> ws{io};
    Json Next() {
      beast::flat_buffer buffer;
      ws.read(buffer);
      Json m = Json::parse(beast::buffers_to_string(buffer.data()));
      if (std::getenv("WEB_TEST_TRACE")) std::fprintf(stderr, "<< %s\n", m.dump().substr(0, 300).c_str());
      return m;
    }
    // The next message of a type, skipping others.
    Json Next(const std::string& type) {
      for (;;) {
        Json m = Next();
        if (m["type"] == type) return m;
      }
    }
    void Send(const Json& m) { ws.write(net::buffer(m.dump())); }
  };
  std::unique_ptr<TabSocket> OpenTab(const std::string& card, const std::string& account = "alice",
                                     const std::string& origin = "") {
    auto tab = std::make_unique<TabSocket>();
    tab->ws.next_layer().connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), server_->port()));
    const std::string token = Token(account);
    const std::string from = origin.empty() ? "http://" + Host() : origin;
    tab->ws.set_option(websocket::stream_base::decorator([&](websocket::request_type& req) {
      req.set(http::field::cookie, "vorlane_token=" + token);
      req.set(http::field::origin, from);
    }));
    tab->ws.handshake(Host(), "/ws?card=" + card);
    return tab;
  }

  std::shared_ptr<Store> store_ = Store::Open();
  // Before the server: it logs until it has stopped.
  std::mutex log_mutex_;
  std::vector<std::string> log_;
  std::unique_ptr<WebServer> server_;
};

TEST_F(WebServerTest, EveryRequestNeedsTheTokenWhichMovesIntoACookie) {
  EXPECT_EQ(Get("/").result(), http::status::forbidden);
  EXPECT_EQ(Get("/app.js").result(), http::status::forbidden);
  EXPECT_EQ(Get("/", "not-the-token").result(), http::status::forbidden);

  auto first = Get("/?token=" + Token("alice"));
  EXPECT_EQ(first.result(), http::status::see_other);
  EXPECT_EQ(first[http::field::location], "/");
  EXPECT_NE(first[http::field::set_cookie].find("vorlane_token=" + Token("alice")), std::string::npos);
  EXPECT_NE(first[http::field::set_cookie].find("HttpOnly"), std::string::npos);
  EXPECT_EQ(Get("/card?token=" + Token("alice") + "&id=%7BAB%7D")[http::field::location], "/card?id=%7BAB%7D");

  auto page = Get("/", Token("alice"));
  EXPECT_EQ(page.result(), http::status::ok);
  EXPECT_NE(page.body().find("<script src=\"/app.js\""), std::string::npos);
  EXPECT_NE(page["Content-Security-Policy"].find("script-src 'self'"), std::string::npos);
  EXPECT_EQ(Get("/app.js", Token("bob")).result(), http::status::ok);
  EXPECT_EQ(Get("/nothing", Token("bob")).result(), http::status::not_found);
  EXPECT_NE(Token("alice"), Token("bob"));
  EXPECT_EQ(server_->Url("alice"), "http://" + Host() + "/?token=" + Token("alice"));
}

// Uploads and downloads are the account's own; a browser's file name
// cannot place a file outside the server's folder.
TEST_F(WebServerTest, FilesBelongToTheirAccountAndStayInTheServersFolder) {
  auto sent = Get("/upload?name=..%2F..%2Forder.xml", Token("alice"), http::verb::post, "<Data/>");
  ASSERT_EQ(sent.result(), http::status::ok);
  const std::string number = std::to_string(Json::parse(sent.body())["upload"].get<int64_t>());
  EXPECT_EQ(Get("/files/" + number, Token("alice")).body(), "<Data/>");
  EXPECT_EQ(Get("/files/" + number, Token("bob")).result(), http::status::not_found);
  EXPECT_EQ(Get("/files/x" + number, Token("alice")).result(), http::status::not_found);

  const std::string folder = ::testing::TempDir() + "/shelf-test";
  FileShelf shelf(folder);
  for (const char* name : {"../../order.xml", "..", "", "/"}) {
    const int64_t n = shelf.AddUpload(name, "text", "alice");
    auto file = shelf.Find(n, "alice");
    ASSERT_TRUE(file) << name;
    const std::filesystem::path path(file->path);
    EXPECT_EQ(path.parent_path(), std::filesystem::path(folder) / std::to_string(n)) << name;
    EXPECT_TRUE(path.filename() == "order.xml" || path.filename() == "upload.xml") << name;
    EXPECT_FALSE(shelf.Find(n, "bob"));
  }
  std::filesystem::remove_all(folder);
}

TEST_F(WebServerTest, TheListingShowsTheStoresProcessesAndMakesTemplates) {
  const std::string id = NewTemplate();
  Json list = Json::parse(Get("/api/processes", Token("alice")).body());
  EXPECT_EQ(list["account"], "alice");
  ASSERT_EQ(list["templates"].size(), 1u);
  EXPECT_EQ(list["templates"][0]["id"], id);
  EXPECT_EQ(list["templates"][0]["name"], "Order approval");
  ASSERT_EQ(list["folders"].size(), 1u);  // the top folder, nothing filed in it yet
  EXPECT_EQ(list["folders"][0]["name"], "Cards");
  EXPECT_EQ(list["folders"][0]["depth"], 0);
  EXPECT_TRUE(list["folders"][0]["cards"].empty());

  Json made = Json::parse(Get("/api/templates?name=Leave%20request", Token("bob"), http::verb::post).body());
  auto p = LibraryOf(Session())->GetProcess(made["id"], true);
  EXPECT_EQ(p->Name(), "Leave request");
  EXPECT_EQ(p->Version(), "4.1");
}

TEST_F(WebServerTest, AWebSocketFromAnotherOriginOrWithoutTheTokenIsRefused) {
  const std::string id = NewTemplate();
  EXPECT_THROW(OpenTab(id, "alice", "http://evil.example"), beast::system_error);
  EXPECT_THROW(OpenTab(id, "nobody"), beast::system_error);
  ASSERT_FALSE(log_.empty());
  EXPECT_NE(log_.back().find("evil.example"), std::string::npos);
  EXPECT_EQ(server_->OpenCards(), 0u);
}

// "Execute" on a template, as its person answers: the folder, the new
// instance's dialog, the success message; the instance runs.
TEST_F(WebServerTest, ACardRunsInTheServerAndAsksItsTab) {
  const std::string id = NewTemplate();
  auto tab = OpenTab(id);
  EXPECT_EQ(tab->Next("role")["owner"], true);
  EXPECT_FALSE(tab->Next("images")["images"].empty());
  // The window, then the graph it shows, with the functions at their
  // stored places.
  Json window = tab->Next("window");
  EXPECT_EQ(window["caption"], "Order approval - Business process");
  EXPECT_EQ(window["panels"]["Mode"], "Edit");
  EXPECT_EQ(window["view"]["zoom"], 1.0);
  EXPECT_EQ(window["view"]["readOnly"], false);
  Json graph = tab->Next("graph")["graph"];
  ASSERT_EQ(graph["nodes"].size(), 2u);
  EXPECT_EQ(graph["nodes"][1]["caption"], "Review");
  EXPECT_EQ(graph["nodes"][1]["kind"], "function");

  // A folder below the top one, to file the instance in.
  auto folder_card = Session()->GetCardManager()->GetDictionaryData("{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}");
  auto tree = com::Query<ostrel::FolderTree>(
      Session()->GetCardManager()->GetDictionaryObject("{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}"));
  auto orders = folder_card->GetSections()->Item("{1E0BB405-660D-4945-82E0-565221AC839A}")->SelectRows(0, 0)
                    ->Item(com::Variant(tree->GetRootFolder()->GetID()))->GetChildRows()->AddNew(0);
  orders->SetField("Name", com::Variant("Orders"));

  tab->Send({{"type", "click"}, {"key", "Execute"}});
  Json folder = tab->Next("ask");
  ASSERT_EQ(folder["kind"], "folder");
  // The whole tree, parents first, each with its depth and path.
  ASSERT_EQ(folder["folders"].size(), 2u);
  EXPECT_EQ(folder["folders"][0]["depth"], 0);
  EXPECT_EQ(folder["folders"][1], (Json{{"id", orders->GetID()}, {"name", "Orders"}, {"path", "Cards \\ Orders"},
                                        {"depth", 1}}));
  tab->Send({{"type", "answer"}, {"id", folder["id"]}, {"value", orders->GetID()}});
  Json dialog = tab->Next("ask");
  ASSERT_EQ(dialog["kind"], "instance");
  ASSERT_TRUE(dialog["variables"].is_array());
  tab->Send({{"type", "answer"}, {"id", dialog["id"]}, {"value", {{"accepted", true}}}});
  Json done = tab->Next("ask");
  ASSERT_EQ(done["kind"], "message");
  EXPECT_EQ(done["text"], "Business-process has been successfully created.");
  tab->Send({{"type", "answer"}, {"id", done["id"]}, {"value", 1}});

  auto instances = LibraryOf(Session())->Instances();
  ASSERT_EQ(instances->Count(), 1);
  EXPECT_EQ(instances->Item(com::Variant(1))->State(), vorlane::ProcessStateEnum::Active);
  auto filed = tree->GetFolder(orders->GetID())->GetShortcuts();
  ASSERT_EQ(filed->Count(), 1);
  EXPECT_EQ(filed->Item(0), instances->Item(com::Variant(1))->ID());
}

// What a tab sends is untrusted: messages of the wrong shape are dropped and
// the card goes on answering its person.
TEST_F(WebServerTest, MessagesOfTheWrongShapeAreDropped) {
  const std::string id = NewTemplate();
  auto tab = OpenTab(id);
  tab->Next("window");
  for (const char* bad : {R"({"type":"resize","width":"wide","height":[1]})", R"({"type":"answer","id":"one"})",
                          R"({"type":"click","key":"Execute","shift":"yes"})", R"({"type":"click","key":7})",
                          R"({"type":["click"]})", R"([1,2,3])", R"("text")", "not json at all", "{\"type\":\"cl",
                          R"({"type":"resize","width":1e300,"height":-5})"}) {
    tab->ws.write(net::buffer(std::string(bad)));
  }
  tab->Send({{"type", "click"}, {"key", "Execute"}});
  Json folder = tab->Next("ask");
  EXPECT_EQ(folder["kind"], "folder");
  tab->Send({{"type", "answer"}, {"id", folder["id"]}, {"value", folder["folders"][0]["id"]}});
  // The instance dialog answered in shapes the page never sends.
  Json dialog = tab->Next("ask");
  ASSERT_EQ(dialog["kind"], "instance");
  tab->Send({{"type", "answer"}, {"id", dialog["id"]}, {"value", {{"accepted", "yes"}, {"values", 3}}}});
  // Taken as cancelled: no instance, the card goes on.
  tab->Send({{"type", "click"}, {"key", "Execute"}});
  folder = tab->Next("ask");
  EXPECT_EQ(folder["kind"], "folder");
  tab->Send({{"type", "answer"}, {"id", folder["id"]}, {"value", {{"not", "a folder id"}}}});
  EXPECT_EQ(LibraryOf(Session())->Instances()->Count(), 0);
  EXPECT_EQ(server_->OpenCards(), 1u);  // still serving
}

// A second tab on the same card only looks; a tab that comes back after a
// reload is asked the question that waits again.
TEST_F(WebServerTest, ASecondTabLooksAndAReloadedTabIsAskedAgain) {
  const std::string id = NewTemplate();
  auto first = OpenTab(id);
  EXPECT_EQ(first->Next("role")["owner"], true);
  first->Next("window");
  auto second = OpenTab(id);
  EXPECT_EQ(second->Next("role")["owner"], false);
  second->Next("window");
  // Input from the second tab changes nothing.
  second->Send({{"type", "click"}, {"key", "Execute"}});
  first->Send({{"type", "click"}, {"key", "Execute"}});
  Json question = first->Next("ask");
  EXPECT_EQ(question["kind"], "folder");
  // The owner goes away: the second tab owns the card, and is asked.
  first->ws.close(websocket::close_code::normal);
  EXPECT_EQ(second->Next("role")["owner"], true);
  Json again = second->Next("ask");
  EXPECT_EQ(again["id"], question["id"]);
  second->Send({{"type", "answer"}, {"id", again["id"]}, {"value", ""}});  // cancelled
}

// Stopping the server closes the open card without its person: its save
// question is answered "No", which is logged, and the lock is released.
TEST_F(WebServerTest, StoppingClosesOpenCardsWithoutSavingAndReleasesTheirLocks) {
  const std::string id = NewTemplate();
  auto tab = OpenTab(id);
  tab->Next("window");
  auto lock = com::Query<ostrel::CardLock>(Session("carol")->GetCardManager()->GetCardData(id));
  EXPECT_EQ(lock->GetLockStatus(), ostrel::lock_status::kOtherAccount);
  tab->Send({{"type", "click"}, {"key", "Execute"}});
  tab->Next("ask");  // a question waits for the person when the server stops
  server_->Stop();
  EXPECT_EQ(lock->GetLockStatus(), ostrel::lock_status::kFree);
  bool said = false;
  for (const std::string& line : log_) said |= line.find("answered for the person") != std::string::npos;
  EXPECT_TRUE(said);
}

// Edits of the graph go through the designer, which refuses them while the
// card is read-only, whatever a page sends over its WebSocket; the refused
// edit changes nothing and the graph that stands is sent again.
TEST_F(WebServerTest, TheDesignerMakesTheEditsAndAReadOnlyCardRefusesThem) {
  const std::string id = NewTemplate();
  const std::string review = LibraryOf(Session())->GetProcess(id, true)->Functions()->Item(com::Variant(2))->ID();
  {
    auto tab = OpenTab(id);
    tab->Next("graph");
    auto edit = [&](Json edits) { tab->Send({{"type", "edit"}, {"op", "apply"}, {"edits", std::move(edits)}}); };
    edit({{{"op", "move"}, {"id", review}, {"x", 300}, {"y", 140}}});
    Json graph = tab->Next("graph")["graph"];
    EXPECT_EQ(graph["nodes"][1]["x"], 300.0);
    edit({{{"op", "remove"}, {"id", graph["links"][0]["id"]}}});
    EXPECT_TRUE(tab->Next("graph")["graph"]["links"].empty());
    // Undone and done again: the link comes back and goes again.
    tab->Send({{"type", "edit"}, {"op", "undo"}});
    EXPECT_EQ(tab->Next("graph")["graph"]["links"].size(), 1u);
    tab->Send({{"type", "edit"}, {"op", "redo"}});
    Json redone = tab->Next("graph");
    EXPECT_TRUE(redone["graph"]["links"].empty());
    EXPECT_FALSE(redone["palette"]["functions"].empty());
    EXPECT_TRUE(redone["findings"].is_array());
    edit({{{"op", "move"}, {"id", review}, {"x", "far"}, {"y", 1}}});  // refused: nothing changes
    EXPECT_NE(tab->Next("error")["text"].get<std::string>().find("\"x\""), std::string::npos);
    EXPECT_EQ(tab->Next("graph")["graph"]["nodes"][1]["x"], 300.0);
    tab->Send({{"type", "click"}, {"key", "Save"}});
    tab->Send({{"type", "close"}});
    tab->Next("closed");
  }
  // Opened again at once (below), the card is a new one: the one closed let
  // go of everything before it said so.
  auto stored = [&] { return LibraryOf(Session())->GetProcess(id, true); };
  EXPECT_EQ(stored()->Functions()->Item(com::Variant(2))->XPos(), 300);
  EXPECT_EQ(stored()->Links()->Count(), 0);

  // Locked by carol: the card opens read-only and says why.
  auto lock = com::Query<ostrel::CardLock>(Session("carol")->GetCardManager()->GetCardData(id));
  lock->Lock(false);
  auto tab = OpenTab(id);
  Json why = tab->Next("ask");
  EXPECT_NE(why["text"].get<std::string>().find("carol"), std::string::npos);
  tab->Send({{"type", "answer"}, {"id", why["id"]}, {"value", 1}});
  tab->Next("graph");
  tab->Send({{"type", "edit"}, {"op", "apply"}, {"edits", {{{"op", "move"}, {"id", review}, {"x", 900}, {"y", 900}}}}});
  EXPECT_FALSE(tab->Next("error")["text"].get<std::string>().empty());
  EXPECT_EQ(tab->Next("graph")["graph"]["nodes"][1]["x"], 300.0);  // what stands
  EXPECT_EQ(stored()->Functions()->Item(com::Variant(2))->XPos(), 300);
  lock->Unlock();
}

// The card's process as it stands (an edit not yet saved) compared with the
// stored one, and with a file the person uploaded.
TEST_F(WebServerTest, TheCardComparesItsProcessWithAnotherAndWithAFile) {
  const std::string id = NewTemplate();
  const std::string review = LibraryOf(Session())->GetProcess(id, true)->Functions()->Item(com::Variant(2))->ID();
  auto tab = OpenTab(id);
  tab->Next("graph");
  tab->Send({{"type", "edit"}, {"op", "apply"}, {"edits", {{{"op", "move"}, {"id", review}, {"x", 500}, {"y", 10}},
                                                            {{"op", "set"}, {"field", "Name"}, {"value", "v2"}}}}});
  tab->Next("graph");
  tab->Send({{"type", "compare"}, {"with", id}});
  Json result = tab->Next("comparison")["result"];
  ASSERT_EQ(result["differences"].size(), 2u) << result.dump(2);
  EXPECT_EQ(result["differences"][0]["kind"], "process");
  EXPECT_EQ(result["differences"][1]["change"], "moved");
  EXPECT_EQ(result["differences"][1]["id"], review);

  const int64_t upload = Json::parse(Get("/upload?name=other.xml", Token("alice"), http::verb::post, "<Data/>").body())["upload"];
  tab->Send({{"type", "compare"}, {"upload", upload}});
  EXPECT_NE(tab->Next("error")["text"].get<std::string>().find("first"), std::string::npos);
  tab->Send({{"type", "compare"}, {"upload", upload + 100}});  // not a file of the shelf: ignored
  tab->Send({{"type", "close"}});
  Json ask = tab->Next("ask");  // the unsaved edit
  tab->Send({{"type", "answer"}, {"id", ask["id"]}, {"value", 7}});
  tab->Next("closed");
}

// The instance dialog is a form of the new instance's variables, whose
// values reach the instance; the properties edit the process's own fields.
TEST_F(WebServerTest, TheInstanceFormAndThePropertiesSetWhatThePersonTyped) {
  const std::string id = NewTemplate();
  {
    auto v = LibraryOf(Session())->GetProcess(id, true)->Variables()->AddNew();
    v->SetName("Amount");
    v->SetVarType(vorlane::VarTypeEnum::Integer);
  }
  auto tab = OpenTab(id);
  tab->Next("window");
  tab->Send({{"type", "click"}, {"key", "Properties"}});
  Json properties = tab->Next("ask");
  ASSERT_EQ(properties["kind"], "properties");
  EXPECT_EQ(properties["fields"]["Name"], "Order approval");
  EXPECT_EQ(properties["readOnly"], false);
  tab->Send({{"type", "answer"}, {"id", properties["id"]}, {"value", {{"Name", "Order approval, v2"}}}});
  tab->Send({{"type", "click"}, {"key", "Save"}});

  tab->Send({{"type", "click"}, {"key", "Execute"}});
  Json folder = tab->Next("ask");
  ASSERT_EQ(folder["kind"], "folder");
  tab->Send({{"type", "answer"}, {"id", folder["id"]}, {"value", folder["folders"][0]["id"]}});
  Json dialog = tab->Next("ask");
  ASSERT_EQ(dialog["kind"], "instance");
  ASSERT_EQ(dialog["variables"].size(), 1u);
  EXPECT_EQ(dialog["variables"][0]["name"], "Amount");
  EXPECT_EQ(dialog["variables"][0]["type"], 1);
  const std::string variable = dialog["variables"][0]["id"];
  // A whole number beyond 32 bits reaches the variable as the number it is,
  // not cut to its low 32 bits (which would be 0 here); the variable's
  // type decides.
  tab->Send({{"type", "answer"}, {"id", dialog["id"]},
             {"value", {{"accepted", true}, {"values", {{variable, int64_t{1} << 40}}}}}});
  tab->Next("ask");  // the success message

  EXPECT_EQ(LibraryOf(Session())->GetProcess(id, true)->Name(), "Order approval, v2");
  auto instance = LibraryOf(Session())->Instances()->Item(com::Variant(1));
  EXPECT_EQ(instance->Variables()->Item(com::Variant(1))->Value().ToR8(), 1099511627776.0);
}

// A card whose tabs all went away while it waited for an answer closes
// after the grace period, as a "No" would, and lets go of its lock.
TEST_F(WebServerTest, ACardLeftWithAQuestionClosesAfterTheGracePeriod) {
  const std::string id = NewTemplate();
  {
    auto tab = OpenTab(id);
    tab->Next("window");
    tab->Send({{"type", "click"}, {"key", "Execute"}});
    tab->Next("ask");
    tab->ws.close(websocket::close_code::going_away);
  }
  auto lock = com::Query<ostrel::CardLock>(Session("carol")->GetCardManager()->GetCardData(id));
  EXPECT_TRUE(CardsClosed());
  EXPECT_EQ(lock->GetLockStatus(), ostrel::lock_status::kFree);
}

}  // namespace
}  // namespace embedded::web::testing
