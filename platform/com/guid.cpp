#include "platform/com/guid.h"

#include <pthread.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <random>

namespace com {

std::optional<Guid> Guid::Parse(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  Guid g;
  if (!ParseInto(text, g.bytes_)) return std::nullopt;
  return g;
}

namespace {

// Moves in a child that fork made: its generators start afresh, or parent
// and child would go on making the same IDs from the same state.
std::atomic<uint64_t> forks{0};
const int fork_handler = pthread_atfork(nullptr, nullptr, [] { forks.fetch_add(1, std::memory_order_relaxed); });

// xoshiro256** (Blackman and Vigna): a few operations per 64 bits, for IDs
// made by the tens of thousands (every row an import adds). Seeded from
// the system's random source per thread, and again after a fork.
class Generator {
 public:
  uint64_t Next() {
    if (seeded_at_ != forks.load(std::memory_order_relaxed)) Seed();
    const uint64_t result = std::rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = std::rotl(s_[3], 45);
    return result;
  }

 private:
  void Seed() {
    std::random_device source;
    do {
      for (uint64_t& word : s_) word = (static_cast<uint64_t>(source()) << 32) | source();
    } while ((s_[0] | s_[1] | s_[2] | s_[3]) == 0);  // the one state that stays put
    seeded_at_ = forks.load(std::memory_order_relaxed);
  }

  uint64_t s_[4] = {};
  uint64_t seeded_at_ = ~uint64_t{0};  // never a count of forks: seeds on first use
};

thread_local Generator generator;

}  // namespace

Guid Guid::Generate() {
  Generator& engine = generator;
  Guid g;
  const uint64_t a = engine.Next(), b = engine.Next();
  std::memcpy(g.bytes_.data(), &a, 8);
  std::memcpy(g.bytes_.data() + 8, &b, 8);
  g.bytes_[6] = static_cast<uint8_t>((g.bytes_[6] & 0x0F) | 0x40);  // version 4
  g.bytes_[8] = static_cast<uint8_t>((g.bytes_[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return g;
}

std::string Guid::ToString() const {
  std::string s(38, '-');
  FormatTo(s.data());
  return s;
}

void Guid::FormatTo(char* out) const {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  *out++ = '{';
  for (size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = '-';
    *out++ = kDigits[bytes_[i] >> 4];
    *out++ = kDigits[bytes_[i] & 0x0F];
  }
  *out = '}';
}

}  // namespace com
