#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace embedded::testing {

// A second process running the store_child program, talked to by lines.
class Child {
 public:
  // Starts the program with `args`; with `as_user`, as that user and group
  // (the parent must be allowed to switch to it).
  explicit Child(const std::vector<std::string>& args, std::optional<uid_t> as_user = std::nullopt) {
    int to_child[2], from_child[2];
    if (::pipe2(to_child, O_CLOEXEC) != 0 || ::pipe2(from_child, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
      ::dup2(to_child[0], 0);
      ::dup2(from_child[1], 1);
      if (as_user && (::setgroups(0, nullptr) != 0 || ::setgid(*as_user) != 0 || ::setuid(*as_user) != 0)) ::_exit(126);
      std::vector<char*> argv;
      std::string program = VORLANE_STORE_CHILD;
      argv.push_back(program.data());
      std::vector<std::string> copy = args;
      for (std::string& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    to_child_ = to_child[1];
    from_child_ = ::fdopen(from_child[0], "r");
  }
  ~Child() {
    if (pid_ > 0) Kill();
    CloseInput();
    if (from_child_) std::fclose(from_child_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The next line the child says, without its end; "" when it ended.
  std::string ReadLine() {
    std::string line;
    int c;
    while ((c = std::fgetc(from_child_)) != EOF && c != '\n') line += static_cast<char>(c);
    return line;
  }
  void Send(const std::string& line) {
    std::string text = line + "\n";
    if (::write(to_child_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
      throw std::runtime_error("write to child");
    }
  }
  void CloseInput() {
    if (to_child_ >= 0) ::close(to_child_);
    to_child_ = -1;
  }
  // The exit status; -signal when a signal ended it.
  int Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
  void Kill() {
    ::kill(pid_, SIGKILL);
    Wait();
  }

 private:
  pid_t pid_ = -1;
  int to_child_ = -1;
  FILE* from_child_ = nullptr;
};

}  // namespace embedded::testing
