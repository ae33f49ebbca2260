#pragma once

#include <csignal>
#include <stdexcept>
#include <string>

namespace cli {

// The tool was told to stop (SIGINT, SIGTERM) while a command changed the
// store; what() says what became of the change. main reports it and exits
// with 128 + the signal's number, as a shell does for a killed program.
class Interrupted : public std::runtime_error {
 public:
  Interrupted(int signal, const std::string& what) : std::runtime_error(what), signal_(signal) {}
  int signal() const { return signal_; }

 private:
  int signal_;
};

// While it lives, SIGINT and SIGTERM are noted instead of ending the tool,
// so that a change in progress is undone or finished first, never left
// half-done. The handlers restart no blocking call: a question waiting for
// its answer is broken off (reads of files go on; the check after them
// stops the work). One at a time.
class InterruptionGuard {
 public:
  InterruptionGuard();
  ~InterruptionGuard();
  InterruptionGuard(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(const InterruptionGuard&) = delete;

  // The signal that came, or 0.
  static int Signal();
  // Throws Interrupted with `what` when a signal came.
  static void Check(const std::string& what);

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

// Asks a yes-or-no question on the terminal: true for "y" or "yes". An
// interruption while waiting throws Interrupted with `if_interrupted`.
bool Ask(const std::string& question, const std::string& if_interrupted);
// Whether someone at a terminal can be asked.
bool CanAsk();

}  // namespace cli
