#include "embedded/web/web_server.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "embedded/folders/folder_tree_object.h"
#include "embedded/store/open.h"
#include "embedded/web/card_worker.h"
#include "embedded/web/web_files.h"
#include "platform/com/error.h"
#include "platform/com/guid.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/folder.h"
#include "platform/ostrel/folder_tree.h"
#include "platform/ostrel/session.h"
#include "platform/ostrel/shortcuts.h"

namespace embedded::web {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

constexpr const char* kCookie = "vorlane_token";
constexpr const char* kPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' blob: data:; connect-src 'self'; "
    "frame-ancestors 'none'; base-uri 'none'; form-action 'none'";
// The largest file a person may upload for an import.
constexpr size_t kUploadLimit = 256u << 20;

std::string NewToken() {
  std::string token;
  for (int i = 0; i < 2; ++i) {
    for (char c : com::Guid::Generate().ToString()) {
      if (std::isxdigit(static_cast<unsigned char>(c))) token += static_cast<char>(std::tolower(c));
    }
  }
  return token;
}

// A query parameter of a target ("/ws?card=..."), undecoded but for "%7B"
// and "%7D" (braces), which is all a card ID or a number needs.
std::string QueryValue(std::string_view target, std::string_view name) {
  const size_t q = target.find('?');
  if (q == target.npos) return "";
  std::string_view rest = target.substr(q + 1);
  while (!rest.empty()) {
    const size_t amp = rest.find('&');
    std::string_view pair = rest.substr(0, amp);
    rest = amp == rest.npos ? std::string_view() : rest.substr(amp + 1);
    const size_t eq = pair.find('=');
    if (pair.substr(0, eq) != name || eq == pair.npos) continue;
    std::string value;
    for (size_t i = eq + 1; i < pair.size(); ++i) {
      if (pair[i] == '%' && i + 2 < pair.size() && std::isxdigit(static_cast<unsigned char>(pair[i + 1])) &&
          std::isxdigit(static_cast<unsigned char>(pair[i + 2]))) {
        value += static_cast<char>(std::stoi(std::string(pair.substr(i + 1, 2)), nullptr, 16));
        i += 2;
      } else {
        value += pair[i] == '+' ? ' ' : pair[i];
      }
    }
    return value;
  }
  return "";
}

std::string PathOf(std::string_view target) { return std::string(target.substr(0, target.find('?'))); }

// The target without its token parameter: where a page goes once the token
// is in a cookie.
std::string WithoutToken(std::string_view target) {
  const size_t q = target.find('?');
  if (q == target.npos) return std::string(target);
  std::string out(target.substr(0, q));
  std::string_view rest = target.substr(q + 1);
  char sep = '?';
  while (!rest.empty()) {
    const size_t amp = rest.find('&');
    std::string_view pair = rest.substr(0, amp);
    rest = amp == rest.npos ? std::string_view() : rest.substr(amp + 1);
    if (pair.empty() || pair.starts_with("token=")) continue;
    out += sep;
    out += pair;
    sep = '&';
  }
  return out;
}

std::string CookieToken(const Request& req) {
  auto it = req.find(http::field::cookie);
  if (it == req.end()) return "";
  std::string_view cookies = it->value();
  const std::string key = std::string(kCookie) + "=";
  for (size_t at = cookies.find(key); at != cookies.npos; at = cookies.find(key, at + 1)) {
    if (at != 0 && cookies[at - 1] != ' ' && cookies[at - 1] != ';') continue;
    std::string_view value = cookies.substr(at + key.size());
    return std::string(value.substr(0, value.find(';')));
  }
  return "";
}

Response Reply(const Request& req, http::status status, std::string body, const char* type) {
  Response res{status, req.version()};
  res.set(http::field::server, "vorlane");
  res.set(http::field::content_type, type);
  res.set("Content-Security-Policy", kPolicy);
  res.set("X-Content-Type-Options", "nosniff");
  res.set(http::field::cache_control, "no-store");
  res.keep_alive(req.keep_alive());
  res.body() = std::move(body);
  res.prepare_payload();
  return res;
}

Response Refuse(const Request& req, http::status status, const std::string& why) {
  return Reply(req, status, why + "\n", "text/plain; charset=utf-8");
}

}  // namespace

// ---- the server's state ------------------------------------------------------------

struct WebServer::State : std::enable_shared_from_this<WebServer::State> {
  Options options;
  net::io_context io;
  std::optional<tcp::acceptor> acceptor;
  std::thread io_thread;
  std::shared_ptr<FileShelf> files;
  std::string folder;
  uint16_t port = 0;

  mutable std::mutex mutex;
  // Open cards by account and upper-case card ID.
  // A tab's session holds its card too, so that a card whose person closed
  // it stays whole until its last tab lets go.
  std::map<std::pair<std::string, std::string>, std::shared_ptr<CardWorker>> cards;
  bool stopped = false;

  const Account* AccountOf(const std::string& token) const {
    if (token.empty()) return nullptr;
    for (const Account& a : options.accounts) {
      if (a.token == token) return &a;
    }
    return nullptr;
  }
  void Log(const std::string& text) const {
    if (options.log) options.log(text);
  }
  // The hosts a page of this server is reached by.
  bool OwnHost(std::string_view host) const {
    const std::string p = ":" + std::to_string(port);
    return host == options.address + p || host == "localhost" + p || host == "127.0.0.1" + p;
  }

  std::shared_ptr<CardWorker> CardFor(const Account& account, const std::string& card_id) {
    std::lock_guard lock(mutex);
    // Cards whose person closed them go.
    for (auto it = cards.begin(); it != cards.end();) {
      it = it->second->Finished() ? cards.erase(it) : std::next(it);
    }
    auto key = std::make_pair(account.name, text::Upper(card_id));
    auto& slot = cards[key];
    if (!slot) {
      CardWorker::Options o;
      o.store = options.store;
      o.account = account.name;
      o.groups = account.groups;
      o.locale = options.locale;
      o.card_id = card_id;
      o.files = files;
      o.grace = std::chrono::milliseconds(options.grace_ms);
      o.log = options.log;
      slot = std::make_shared<CardWorker>(std::move(o));
    }
    return slot;
  }

  // A library over a new session of the account (the library keeps it).
  com::Ref<com::Unknown> LibraryFor(const Account& account);
  // The start page's listing, in a session of the account's own.
  Json Listing(const Account& account);
  std::string NewTemplate(const Account& account, const std::string& name);
};

namespace {

// What a session of the account sees, on a thread of the request's own: the
// network thread never waits on the store.
template <class Fn>
void OffThread(net::any_io_executor executor, Fn work, std::function<void(Response)> done) {
  std::thread([executor, work = std::move(work), done = std::move(done)]() mutable {
    Response res = work();
    net::post(executor, [done = std::move(done), res = std::move(res)]() mutable { done(std::move(res)); });
  }).detach();
}

class WsSession final : public Tab, public std::enable_shared_from_this<WsSession> {
 public:
  WsSession(tcp::socket socket, WebServer::State* server) : ws_(std::move(socket)), server_(server) {}

  void Run(Request req, std::shared_ptr<CardWorker> card) {
    card_ = std::move(card);
    ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    ws_.read_message_max(1 << 20);
    ws_.async_accept(req, [self = shared_from_this()](beast::error_code ec) {
      if (ec) return;
      self->card_->Attach(self);
      self->Read();
    });
  }

  void Send(std::string message) override {
    net::post(ws_.get_executor(), [self = shared_from_this(), message = std::move(message)]() mutable {
      self->queue_.push_back(std::move(message));
      if (self->queue_.size() == 1) self->Write();
    });
  }

 private:
  void Read() {
    ws_.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, size_t) {
      if (ec) {
        self->card_->Detach(self.get());
        return;
      }
      self->card_->Receive(self.get(), beast::buffers_to_string(self->buffer_.data()));
      self->buffer_.consume(self->buffer_.size());
      self->Read();
    });
  }
  void Write() {
    ws_.text(true);
    ws_.async_write(net::buffer(queue_.front()), [self = shared_from_this()](beast::error_code ec, size_t) {
      if (ec) return;
      self->queue_.pop_front();
      if (!self->queue_.empty()) self->Write();
    });
  }

  websocket::stream<beast::tcp_stream> ws_;
  WebServer::State* server_;  // outlives every session: they live in its io_context
  std::shared_ptr<CardWorker> card_;
  beast::flat_buffer buffer_;
  std::deque<std::string> queue_;
};

class HttpSession final : public std::enable_shared_from_this<HttpSession> {
 public:
  HttpSession(tcp::socket socket, WebServer::State* server) : stream_(std::move(socket)), server_(server) {}

  void Run() { Read(); }

 private:
  void Read() {
    parser_.emplace();
    parser_->body_limit(kUploadLimit);
    stream_.expires_after(std::chrono::seconds(60));
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](beast::error_code ec, size_t) {
      if (ec) return;
      self->Handle(self->parser_->release());
    });
  }

  void Send(Response res) {
    auto kept = std::make_shared<Response>(std::move(res));
    http::async_write(stream_, *kept, [self = shared_from_this(), kept](beast::error_code ec, size_t) {
      if (ec || kept->need_eof()) {
        beast::error_code ignored;
        self->stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        return;
      }
      self->Read();
    });
  }

  void Handle(Request req) {
    const std::string path = PathOf(req.target());
    const std::string url_token = QueryValue(req.target(), "token");
    const WebServer::Account* account = server_->AccountOf(url_token.empty() ? CookieToken(req) : url_token);
    if (!account) return Send(Refuse(req, http::status::forbidden, "This server needs the address it printed."));
    if (!url_token.empty() && req.method() == http::verb::get && !websocket::is_upgrade(req)) {
      // The token moves from the address into a cookie, and out of sight.
      Response res = Reply(req, http::status::see_other, "", "text/plain");
      res.set(http::field::location, WithoutToken(req.target()));
      res.set(http::field::set_cookie,
              std::string(kCookie) + "=" + url_token + "; Path=/; HttpOnly; SameSite=Strict");
      return Send(std::move(res));
    }
    if (websocket::is_upgrade(req)) return Upgrade(std::move(req), *account);
    if (req.method() == http::verb::get) {
      if (const WebFile* file = FindWebFile(path == "/" || path == "/card" ? "/index.html" : path)) {
        return Send(Reply(req, http::status::ok, std::string(file->content), file->type));
      }
      if (path == "/api/processes") {
        auto state = server_->shared_from_this();  // the work may outlast the server
        const WebServer::Account who = *account;
        return OffThread(
            stream_.get_executor(),
            [state, who, req] { return Reply(req, http::status::ok, state->Listing(who).dump(), "application/json"); },
            [self = shared_from_this()](Response res) { self->Send(std::move(res)); });
      }
      if (path.starts_with("/files/")) return SendFile(req, path.substr(7), account->name);
    }
    if (req.method() == http::verb::post) {
      if (path == "/api/templates") {
        auto state = server_->shared_from_this();  // the work may outlast the server
        const WebServer::Account who = *account;
        const std::string name = QueryValue(req.target(), "name");
        return OffThread(
            stream_.get_executor(),
            [state, who, name, req] {
              try {
                return Reply(req, http::status::ok, Json{{"id", state->NewTemplate(who, name)}}.dump(),
                             "application/json");
              } catch (const com::Error& e) {
                return Refuse(req, http::status::internal_server_error, e.ToString());
              }
            },
            [self = shared_from_this()](Response res) { self->Send(std::move(res)); });
      }
      if (path == "/upload") {
        const int64_t number = server_->files->AddUpload(QueryValue(req.target(), "name"), req.body(), account->name);
        return Send(Reply(req, http::status::ok, Json{{"upload", number}}.dump(), "application/json"));
      }
    }
    Send(Refuse(req, http::status::not_found, "Nothing here."));
  }

  void SendFile(const Request& req, const std::string& number, const std::string& account) {
    std::optional<FileShelf::File> file;
    try {
      file = server_->files->Find(std::stoll(number), account);
    } catch (const std::exception&) {
      file.reset();
    }
    std::ifstream in(file ? file->path : std::string(), std::ios::binary);
    if (!file || !in) return Send(Refuse(req, http::status::not_found, "No such file."));
    std::stringstream content;
    content << in.rdbuf();
    const bool html = file->name.ends_with(".html");
    Response res = Reply(req, http::status::ok, content.str(),
                         html ? "text/html; charset=utf-8" : file->name.ends_with(".svg") ? "image/svg+xml" : "application/octet-stream");
    if (!html) {
      std::string safe;
      for (char c : file->name) safe += (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
      res.set(http::field::content_disposition, "attachment; filename=\"" + safe + "\"");
    }
    Send(std::move(res));
  }

  void Upgrade(Request req, const WebServer::Account& account) {
    const std::string host(req[http::field::host]);
    const std::string origin(req[http::field::origin]);
    if (!server_->OwnHost(host) || origin != "http://" + host) {
      server_->Log("refused a WebSocket from origin \"" + origin + "\" for host \"" + host + "\"");
      return Send(Refuse(req, http::status::forbidden, "This server talks to its own pages only."));
    }
    const std::string card_id = QueryValue(req.target(), "card");
    if (card_id.empty() || !com::Guid::Parse(card_id)) {
      return Send(Refuse(req, http::status::bad_request, "Which card?"));
    }
    std::shared_ptr<CardWorker> card = server_->CardFor(account, card_id);
    stream_.expires_never();
    std::make_shared<WsSession>(stream_.release_socket(), server_)->Run(std::move(req), card);
  }

  beast::tcp_stream stream_;
  WebServer::State* server_;  // outlives every session: they live in its io_context
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
};

void Accept(WebServer::State* state) {
  state->acceptor->async_accept(net::make_strand(state->io), [state](beast::error_code ec, tcp::socket socket) {
    if (ec) return;  // the acceptor was closed
    std::make_shared<HttpSession>(std::move(socket), state)->Run();
    Accept(state);
  });
}

}  // namespace

// ---- listings ----------------------------------------------------------------------

com::Ref<com::Unknown> WebServer::State::LibraryFor(const Account& account) {
  SessionOptions so;
  so.store = options.store;
  so.account = account.name;
  so.groups = account.groups;
  so.locale = options.locale;
  com::Ref<ostrel::Session> session = Open(so);
  com::Ref<com::Unknown> library = com::CreateObject("QXVorlane.Library");
  com::SetProperty(library.get(), "Connection", com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(session.get()))));
  return library;
}

Json WebServer::State::Listing(const Account& account) {
  com::Ref<com::Unknown> library = LibraryFor(account);
  Json out{{"account", account.name}, {"locale", options.locale}, {"templates", Json::array()}, {"instances", Json::array()}};
  for (const char* list : {"Templates", "Instances"}) {
    com::Ref<com::Unknown> items = com::GetProperty(library.get(), list).ToObject();
    const int32_t n = com::GetProperty(items.get(), "Count").ToI4();
    for (int32_t i = 1; i <= n; ++i) {
      com::Ref<com::Unknown> p = com::CallMethod(items.get(), "Item", std::vector{com::Variant(i)}).ToObject();
      Json item{{"id", com::GetProperty(p.get(), "ID").ToText()},
                {"name", com::GetProperty(p.get(), "Name").ToText()},
                {"state", com::GetProperty(p.get(), list[0] == 'T' ? "TemplateState" : "State").ToI4()}};
      out[list[0] == 'T' ? "templates" : "instances"].push_back(std::move(item));
    }
  }
  // The folder tree, parents before children, each with the cards filed in it.
  auto session = com::Query<ostrel::Session>(com::GetProperty(library.get(), "Connection").ToObject());
  auto tree = com::Query<ostrel::FolderTree>(
      session->GetCardManager()->GetDictionaryObject(embedded::folders::kFolderCardType.ToString()));
  out["folders"] = Json::array();
  std::function<void(ostrel::Folder&, int)> add = [&](ostrel::Folder& folder, int depth) {
    Json cards = Json::array();
    com::Ref<ostrel::Shortcuts> filed = folder.GetShortcuts();
    for (int32_t i = 0, n = filed->Count(); i < n; ++i) cards.push_back(filed->Item(i));
    out["folders"].push_back({{"id", folder.GetID()}, {"name", folder.GetName()}, {"depth", depth}, {"cards", cards}});
    for (int32_t i = 0, n = folder.GetChildCount(); i < n; ++i) add(*folder.GetChildFolder(i), depth + 1);
  };
  add(*tree->GetRootFolder(), 0);
  return out;
}

std::string WebServer::State::NewTemplate(const Account& account, const std::string& name) {
  com::Ref<com::Unknown> library = LibraryFor(account);
  com::Ref<com::Unknown> templates = com::GetProperty(library.get(), "Templates").ToObject();
  com::Ref<com::Unknown> p = com::CallMethod(templates.get(), "AddNew").ToObject();
  com::SetProperty(p.get(), "Name", com::Variant(name.empty() ? std::string("New process") : name));
  // What the card writes into a template it makes.
  com::SetProperty(p.get(), "Version", com::Variant("4.1"));
  com::SetProperty(p.get(), "BuildNumber", com::Variant(int16_t{1316}));
  return com::GetProperty(p.get(), "ID").ToText();
}

// ---- the server --------------------------------------------------------------------

WebServer::WebServer(Options options) : state_(std::make_shared<State>()) { state_->options = std::move(options); }

WebServer::~WebServer() { Stop(); }

void WebServer::Start() {
  State& s = *state_;
  for (Account& a : s.options.accounts) {
    if (a.token.empty()) a.token = NewToken();
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "vorlane-serve-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw com::Error(com::hr::kFail, "vorlane", "cannot make a private temporary folder");
  s.folder = pattern;
  s.files = std::make_shared<FileShelf>(s.folder);
  beast::error_code ec;
  const auto address = net::ip::make_address(s.options.address, ec);
  if (ec) throw com::Error(com::hr::kInvalidArg, "vorlane", "\"" + s.options.address + "\" is not an address to listen on");
  s.acceptor.emplace(s.io);
  tcp::endpoint endpoint(address, s.options.port);
  s.acceptor->open(endpoint.protocol(), ec);
  if (!ec) s.acceptor->set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) s.acceptor->bind(endpoint, ec);
  if (!ec) s.acceptor->listen(net::socket_base::max_listen_connections, ec);
  if (ec) {
    throw com::Error(com::hr::kFail, "vorlane",
                     "cannot listen on " + s.options.address + ":" + std::to_string(s.options.port) + ": " + ec.message());
  }
  s.port = s.acceptor->local_endpoint().port();
  Accept(state_.get());
  s.io_thread = std::thread([state = state_.get()] { state->io.run(); });
}

void WebServer::Stop() {
  State& s = *state_;
  std::map<std::pair<std::string, std::string>, std::shared_ptr<CardWorker>> cards;
  {
    std::lock_guard lock(s.mutex);
    if (s.stopped) return;
    s.stopped = true;
    cards = std::move(s.cards);
  }
  // No tab is heard from now on; what the cards still send waits unsent.
  if (s.acceptor) {
    net::post(s.io, [state = state_.get()] {
      beast::error_code ignored;
      state->acceptor->close(ignored);
    });
  }
  s.io.stop();
  if (s.io_thread.joinable()) s.io_thread.join();
  // Each card closes on its own thread (its questions answered for the
  // person) and releases its lock; its tabs' sessions let go of it when the
  // server goes.
  for (auto& [key, card] : cards) card->Shutdown();
  for (auto& [key, card] : cards) card->Join();
  cards.clear();
  std::error_code ignored;
  if (!s.folder.empty()) std::filesystem::remove_all(s.folder, ignored);
}

uint16_t WebServer::port() const { return state_->port; }

std::string WebServer::Url(const std::string& account) const {
  for (const Account& a : state_->options.accounts) {
    if (a.name == account) {
      return "http://" + state_->options.address + ":" + std::to_string(state_->port) + "/?token=" + a.token;
    }
  }
  return "";
}

const std::vector<WebServer::Account>& WebServer::accounts() const { return state_->options.accounts; }

size_t WebServer::OpenCards() const {
  std::lock_guard lock(state_->mutex);
  size_t n = 0;
  for (const auto& [key, card] : state_->cards) n += card->Finished() ? 0 : 1;
  return n;
}

}  // namespace embedded::web
