#include "embedded/store/session_lock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/com/error.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

constexpr std::string_view kSuffix = ".session";
// A mark being made, before it is renamed into place.
constexpr std::string_view kFreshSuffix = ".session-new";

[[noreturn]] void Fail(const std::string& file, const std::string& what, int error) {
  throw com::Error(ostrel::err::kStorageFailure, std::string(ostrel::err::kSource),
                   "The session file \"" + file + "\" " + what + " (" + std::strerror(error) + ")");
}

bool Plain(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// A session ID as a file name: letters, digits, '-' and '_' stay, every
// other byte is "%XX", so any ID names one file and reads back from it.
std::string Encode(const std::string& session) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : session) {
    if (Plain(c)) {
      out += c;
    } else {
      auto b = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::optional<std::string> Decode(std::string_view name) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '%') {
      if (!Plain(name[i])) return std::nullopt;
      out += name[i];
      continue;
    }
    if (i + 2 >= name.size()) return std::nullopt;
    int hi = hex(name[i + 1]), lo = hex(name[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // to the end, however long
  lock.l_pid = 0;  // required of open-file-description locks
  return lock;
}

// Whether `path` names the file open on `fd`.
bool SameFile(int fd, const std::string& path) {
  struct stat open_file {}, named {};
  if (::fstat(fd, &open_file) != 0 || ::stat(path.c_str(), &named) != 0) return false;
  return open_file.st_dev == named.st_dev && open_file.st_ino == named.st_ino;
}

}  // namespace

std::string SessionLock::FileOf(const std::string& folder, const std::string& session) {
  return folder + "/" + Encode(session) + std::string(kSuffix);
}

int SessionLock::Place(const std::string& folder, const std::string& file) {
  if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) Fail(folder, "cannot be made", errno);
  // Made and locked under a name of its own, then renamed into place: a
  // checker that opens the session's name finds it locked from the start.
  const std::string fresh = file + std::string(kFreshSuffix);
  int fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail(fresh, "cannot be created", errno);
  // Waits out a checker's brief probe of the new file (RemoveLeftovers).
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_OFD_SETLKW, &lock) != 0) {
    int error = errno;
    ::close(fd);
    Fail(fresh, "cannot be locked", error);
  }
  // The process ID is for people looking at the folder; the lock is the mark.
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    // The mark is the lock, which is held; the text in the file is a courtesy.
  }
  if (::rename(fresh.c_str(), file.c_str()) != 0) {
    int error = errno;
    ::unlink(fresh.c_str());
    ::close(fd);
    Fail(file, "cannot be put in place", error);
  }
  return fd;
}

SessionLock::SessionLock(const std::string& folder, const std::string& session)
    : folder_(folder), file_(FileOf(folder, session)), fd_(Place(folder_, file_)) {}

SessionLock::~SessionLock() {
  // Removed while still locked, so that no checker takes a file that is
  // about to go for a dead session's; a file that is no longer this mark
  // is left to whoever put it there.
  if (Intact()) ::unlink(file_.c_str());
  ::close(fd_);
}

bool SessionLock::Intact() const { return SameFile(fd_, file_); }

void SessionLock::Restore() {
  if (Intact()) return;
  int fd = Place(folder_, file_);
  ::close(fd_);
  fd_ = fd;
}

bool SessionLock::IsAlive(const std::string& folder, const std::string& session) {
  const std::string file = FileOf(folder, session);
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno != ENOENT;
  struct flock probe = WholeFile(F_RDLCK);
  if (::fcntl(fd, F_OFD_SETLK, &probe) == 0) {
    // Nobody holds the mark: the session's process is gone. The file goes
    // only while it is still the one probed, never a mark put in its place.
    if (SameFile(fd, file)) ::unlink(file.c_str());
    ::close(fd);
    return false;
  }
  ::close(fd);
  return true;
}

void SessionLock::RemoveLeftovers(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name.ends_with(kFreshSuffix)) names.emplace_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : names) {
    // A new mark is locked, then given its text, then renamed: one that
    // has its text and that nobody holds was left by a process that ended
    // before the rename. An empty one may be a mark just made and not yet
    // locked; it goes only once it is old.
    const std::string file = folder + "/" + name;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct flock probe = WholeFile(F_RDLCK);
    struct stat st {};
    if (::fcntl(fd, F_OFD_SETLK, &probe) == 0 && ::fstat(fd, &st) == 0 &&
        (st.st_size > 0 || st.st_mtime < ::time(nullptr) - 60) && SameFile(fd, file)) {
      ::unlink(file.c_str());
    }
    ::close(fd);
  }
}

std::vector<std::string> SessionLock::Marked(const std::string& folder) {
  std::vector<std::string> out;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return out;
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) continue;
    if (auto session = Decode(name.substr(0, name.size() - kSuffix.size()))) out.push_back(std::move(*session));
  }
  ::closedir(dir);
  return out;
}

}  // namespace embedded
