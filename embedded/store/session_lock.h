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
//
// A mark comes into place already locked: it is made and locked under a
// name of its own, then renamed to the session's name, so that no checker
// ever finds a live session's mark unlocked. A checker removes only a mark
// it holds the lock of and that is still the file under the name.
class SessionLock {
 public:
  // Makes the folder when needed, creates the session's file and locks it.
  // Fails with ostrel::err::kStorageFailure naming the file and the cause.
  SessionLock(const std::string& folder, const std::string& session);
  // Removes the file (when it is still this mark), then lets go of the lock.
  ~SessionLock();
  SessionLock(const SessionLock&) = delete;
  SessionLock& operator=(const SessionLock&) = delete;

  // Whether the file under the session's name is still this mark: a mark
  // can be removed behind the session's back (its folder deleted by a
  // cleaner), and checkers then take the session for dead.
  bool Intact() const;
  // Puts a new locked mark in place when this one is no longer there (a
  // no-op otherwise). Fails as the constructor does.
  void Restore();

  // True while some process holds the session's mark. A mark nobody holds
  // (its process is gone) is removed on the way, so the answer is false from
  // then on. Doubtful cases (a file that cannot be read, a file system
  // without locks) answer true: a lock is never taken from a session that
  // may be alive.
  static bool IsAlive(const std::string& folder, const std::string& session);

  // The sessions that have a mark in the folder (alive or not).
  static std::vector<std::string> Marked(const std::string& folder);
  // Removes marks that a process began and never put in place (it ended
  // between making and renaming one).
  static void RemoveLeftovers(const std::string& folder);

 private:
  static std::string FileOf(const std::string& folder, const std::string& session);
  // Makes the folder and a new mark, locked, under the session's name;
  // answers its descriptor.
  static int Place(const std::string& folder, const std::string& file);

  std::string folder_;
  std::string file_;
  int fd_ = -1;
};

}  // namespace embedded
