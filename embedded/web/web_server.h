#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "embedded/store/store.h"

namespace embedded::web {

// The web card host: a local web server that shows the store's processes in
// a browser page and drives a card control for each open card, with every
// window of the control in the page. HTTP, the page's files and one
// WebSocket per tab share one port. Every request needs the account's
// token (from the URL once, then a cookie); a WebSocket upgrade also needs
// an Origin and a Host of this server (no DNS rebinding). Responses carry a
// strict Content-Security-Policy.
class WebServer {
 public:
  struct Account {
    std::string name;
    std::vector<std::string> groups;
    std::string token;  // made by Start when empty
  };
  struct Options {
    std::shared_ptr<Store> store;
    std::vector<Account> accounts;
    std::string address = "127.0.0.1";
    uint16_t port = 0;  // 0: any free port
    int32_t locale = 1033;
    // How long a card stays open after its last tab went away.
    int32_t grace_ms = 30000;
    // Where the server says what it did on a person's behalf.
    std::function<void(const std::string&)> log;
  };

  explicit WebServer(Options options);
  // Stops the server: see Stop.
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Listens and serves on a thread of its own. Fails with a com::Error
  // naming the address when it cannot listen.
  void Start();
  // Closes every open card as a "No" to its save question would (nothing
  // is saved without its person), releases their locks, and stops.
  void Stop();
  uint16_t port() const;
  // The address to open for an account: with its token.
  std::string Url(const std::string& account) const;
  const std::vector<Account>& accounts() const;
  // How many cards are open now.
  size_t OpenCards() const;

  // What the server's connections share (web_server.cpp's own).
  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace embedded::web
