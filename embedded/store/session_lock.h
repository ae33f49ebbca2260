#pragma once

#include <string>
#include <vector>

namespace embedded {

// The operating system's mark that a session of a store file is alive: a
// lock on a small file of its own in the store's sessions folder, which the
// kernel drops when the process ends in any way (a crash and SIGKILL
// included). Card locks in the file name their session; a card lock whose
// session's mark can be taken by someone else is stale.
//
// The locks are open-file-description locks (F_OFD_SETLK): they belong to
// the open file, not to the process, so two stores over one file in one
// process see each other's sessions as any two processes do, and closing
// another descriptor of the file never drops them.
class SessionLock {
 public:
  // Makes the folder when needed, creates the session's file and locks it.
  // Fails with ostrel::err::kStorageFailure naming the file and the cause.
  SessionLock(const std::string& folder, const std::string& session);
  // Removes the file, then lets go of the lock.
  ~SessionLock();
  SessionLock(const SessionLock&) = delete;
  SessionLock& operator=(const SessionLock&) = delete;

  // True while some process holds the session's mark. A mark nobody holds
  // (its process is gone) is removed on the way, so the answer is false from
  // then on. Doubtful cases (a file that cannot be read, a file system
  // without locks) answer true: a lock is never taken from a session that
  // may be alive.
  static bool IsAlive(const std::string& folder, const std::string& session);

  // The sessions that have a mark in the folder (alive or not).
  static std::vector<std::string> Marked(const std::string& folder);

 private:
  static std::string FileOf(const std::string& folder, const std::string& session);

  std::string file_;
  int fd_ = -1;
};

}  // namespace embedded
