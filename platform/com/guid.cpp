#include "platform/com/guid.h"

#include <pthread.h>

#include <atomic>
#include <bit>
#include <cstring>
#include <random>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace com {

std::optional<Guid> Guid::Parse(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  Guid g;
  if (!ParseInto(text, g.bytes_)) return std::nullopt;
  return g;
}

std::optional<Guid> Guid::ParseTextForm(std::string_view text) {
  Guid g;
  if (text.size() != 38 || !ParseInto(text, g.bytes_, false)) return std::nullopt;
  return g;
}

#if defined(__SSE2__)

bool Guid::ReadDigits(const char* form, bool lower_case, std::array<uint8_t, 16>& out) {
  // The digits side by side, two vectors of sixteen: 8, 4, 4, 4 and 12 of
  // them between the dashes, gathered in registers (small stores read back
  // as one vector would wait for the stores).
  auto load = [&](size_t at, size_t n) {
    uint64_t v = 0;
    std::memcpy(&v, form + at, n);
    return v;
  };
  auto lanes = [](uint64_t high, uint64_t low) {
    return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
  };
  const __m128i halves[2] = {lanes(load(9, 4) | load(14, 4) << 32, load(0, 8)),
                             lanes(load(28, 8), load(19, 4) | load(24, 4) << 32)};
  const char first_letter = lower_case ? 'a' : 'A';
  // Setting 0x20 makes a lower-case letter of an upper-case one, and one of
  // 'a' to 'f' of nothing else.
  const __m128i fold = _mm_set1_epi8(lower_case ? 0x20 : 0);
  __m128i pairs[2];
  for (int half = 0; half < 2; ++half) {
    const __m128i c = halves[half];
    // Signed comparisons: a byte of 0x80 and above is below both ranges.
    const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(c, _mm_set1_epi8('9' + 1)));
    const __m128i folded = _mm_or_si128(c, fold);
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, _mm_set1_epi8(static_cast<char>(first_letter - 1))),
                                         _mm_cmplt_epi8(folded, _mm_set1_epi8(static_cast<char>(first_letter + 6))));
    if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF) return false;
    // A digit's value is its low four bits; a letter's, those plus 9.
    const __m128i value = _mm_add_epi8(_mm_and_si128(c, _mm_set1_epi8(0x0F)), _mm_and_si128(letter, _mm_set1_epi8(9)));
    // Two digits, the first in the low byte of a 16-bit lane, as one byte.
    pairs[half] = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(value, _mm_set1_epi16(0x00FF)), 4), _mm_srli_epi16(value, 8));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out.data()), _mm_packus_epi16(pairs[0], pairs[1]));
  return true;
}

#else

bool Guid::ReadDigits(const char* form, bool lower_case, std::array<uint8_t, 16>& out) {
  return ReadDigitsByTable(std::string_view(form, 36), lower_case, out);
}

#endif

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

namespace {

// Four bytes (the first in the low bits) as their eight upper-case digits,
// the first digit in the low byte: each byte spread to two, its nibbles
// apart, and each nibble turned into its digit in one step.
uint64_t DigitsOf(uint32_t bytes) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  uint64_t x = bytes;
  x = (x | x << 16) & 0x0000FFFF0000FFFFull;
  x = (x | x << 8) & 0x00FF00FF00FF00FFull;
  const uint64_t nibbles = ((x >> 4) & 0x000F000F000F000Full) | ((x & 0x000F000F000F000Full) << 8);
  // A nibble above 9 carries into bit 4 when 6 is added: 'A' is 7 past '9' + 1.
  const uint64_t letters = ((nibbles + kOnes * 6) >> 4) & kOnes;
  return nibbles + kOnes * '0' + letters * 7;
}

}  // namespace

void Guid::FormatTo(char* out) const {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t words[4];
    std::memcpy(words, bytes_.data(), 16);
    uint64_t digits[4];
    for (int i = 0; i < 4; ++i) digits[i] = DigitsOf(words[i]);
    // {01234567-89AB-CDEF-0123-456789ABCDEF}: digits of bytes 0-3, 4-5,
    // 6-7, 8-9 and 10-15.
    out[0] = '{';
    std::memcpy(out + 1, &digits[0], 8);
    out[9] = '-';
    std::memcpy(out + 10, &digits[1], 4);
    out[14] = '-';
    std::memcpy(out + 15, reinterpret_cast<const char*>(&digits[1]) + 4, 4);
    out[19] = '-';
    std::memcpy(out + 20, &digits[2], 4);
    out[24] = '-';
    std::memcpy(out + 25, reinterpret_cast<const char*>(&digits[2]) + 4, 4);
    std::memcpy(out + 29, &digits[3], 8);
    out[37] = '}';
    return;
  }
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out[0] = '{';
  size_t at = 1;
  for (size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out[at++] = '-';
    out[at++] = kDigits[bytes_[i] >> 4];
    out[at++] = kDigits[bytes_[i] & 0x0F];
  }
  out[at] = '}';
}

}  // namespace com
