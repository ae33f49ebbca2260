#include "cli/progress.h"

#include <unistd.h>

namespace cli {

Progress::Progress(std::string label) : label_(std::move(label)), enabled_(isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
  if (drawn_) std::fputs("\r\033[K", stderr);  // clear the bar's line
}

void Progress::Update(long done, long total) {
  if (!enabled_ || total <= 0) return;
  int percent = static_cast<int>(done * 100 / total);
  auto now = std::chrono::steady_clock::now();
  // Redraw at most ten times a second, and only when the figure moved.
  if (percent == last_percent_ || (drawn_ && now - last_draw_ < std::chrono::milliseconds(100) && done < total)) return;
  last_percent_ = percent;
  last_draw_ = now;
  constexpr int kWidth = 30;
  int filled = percent * kWidth / 100;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kWidth - filled), '.');
  std::fprintf(stderr, "\r%s [%s] %3d%% (%ld/%ld)", label_.c_str(), bar.c_str(), percent, done, total);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace cli
