#pragma once

namespace embedded {

// How hard a store file's writes are made to survive a crash of the machine
// (a crash of the program never loses a written change, whatever the level).
enum class Durability {
  // Every write is on the disk when it returns (SQLite synchronous FULL).
  kFull,
  // A write survives a crash of the program at once, and a crash of the
  // machine once the next checkpoint has run; the file is whole either way
  // (synchronous NORMAL).
  kNormal,
  // The disk is never waited for: a crash of the machine may lose recent
  // writes or damage the file (synchronous OFF). For throw-away stores.
  kOff,
};

}  // namespace embedded
