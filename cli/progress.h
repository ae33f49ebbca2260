#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace cli {

// A progress bar on stderr, drawn only when stderr is a terminal: a long
// export or import shows how far it is; a script that reads the tool's
// output sees nothing of it.
class Progress {
 public:
  explicit Progress(std::string label);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // `done` out of `total` units of work.
  void Update(long done, long total);

 private:
  std::string label_;
  bool enabled_;
  bool drawn_ = false;
  int last_percent_ = -1;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace cli
