#include "cli/interruption.h"

#include <poll.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/com/text.h"

namespace cli {
namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void NoteSignal(int signal) { g_signal = signal; }

}  // namespace

InterruptionGuard::InterruptionGuard() {
  g_signal = 0;
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a question waiting for its answer ends
  sigaction(SIGINT, &action, &old_int_);
  sigaction(SIGTERM, &action, &old_term_);
}

InterruptionGuard::~InterruptionGuard() {
  sigaction(SIGINT, &old_int_, nullptr);
  sigaction(SIGTERM, &old_term_, nullptr);
}

int InterruptionGuard::Signal() { return g_signal; }

void InterruptionGuard::Check(const std::string& what) {
  if (int signal = g_signal) throw Interrupted(signal, what);
}

bool CanAsk() { return isatty(STDIN_FILENO) == 1; }

bool Ask(const std::string& question, const std::string& if_interrupted) {
  std::fputs(question.c_str(), stderr);
  std::fflush(stderr);
  std::string answer;
  for (;;) {
    // A signal that comes between a look at the flag and a blocking read
    // would leave the read waiting for ever: the terminal is waited on in
    // short turns, and the flag looked at between them.
    if (InterruptionGuard::Signal()) {
      std::fputc('\n', stderr);
      InterruptionGuard::Check(if_interrupted);
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (::poll(&input, 1, 100) <= 0) continue;  // nothing yet, or a signal: look again
    char c = 0;
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::fputc('\n', stderr);
      InterruptionGuard::Check(if_interrupted);
      return false;
    }
    if (c == '\n') break;
    answer += c;
  }
  InterruptionGuard::Check(if_interrupted);
  const std::string word = text::Upper(text::Trim(answer));
  return word == "Y" || word == "YES";
}

}  // namespace cli
