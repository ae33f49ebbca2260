#pragma once

#include <array>
#include <stdexcept>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace com {

// A 128-bit identifier of an interface, a class or a card. Its text form is
// the registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
class Guid {
 public:
  constexpr Guid() = default;

  // From the registry form, braces optional, any letter case. Meant for
  // literals: a malformed literal fails to compile in a constexpr context
  // and throws std::invalid_argument otherwise. Use Parse() for input.
  constexpr explicit Guid(std::string_view text) {
    if (!ParseInto(text, bytes_)) throw std::invalid_argument("malformed GUID literal");
  }

  // nullopt when `text` is not a GUID (blanks around are allowed).
  static std::optional<Guid> Parse(std::string_view text);
  // A new random (version 4) GUID from the system's random source.
  static Guid Generate();

  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
  std::string ToString() const;
  // The same 38 characters into `out`, with no terminating zero.
  void FormatTo(char* out) const;
  bool IsNull() const { return *this == Guid(); }

  const std::array<uint8_t, 16>& bytes() const { return bytes_; }
  friend constexpr bool operator==(const Guid&, const Guid&) = default;
  friend constexpr auto operator<=>(const Guid&, const Guid&) = default;

 private:
  // A digit's value by character, 0xFF for a character that is no
  // hexadecimal digit.
  static constexpr std::array<uint8_t, 256> kHexValues = [] {
    std::array<uint8_t, 256> t{};
    for (auto& v : t) v = 0xFF;
    for (int c = 0; c < 10; ++c) t['0' + c] = static_cast<uint8_t>(c);
    for (int c = 0; c < 6; ++c) {
      t['a' + c] = static_cast<uint8_t>(10 + c);
      t['A' + c] = static_cast<uint8_t>(10 + c);
    }
    return t;
  }();

  // The 32 digits of the form, dashes checked, as the 16 bytes they spell
  // in the text's order; false when the text is not the form.
  static constexpr bool ParseInto(std::string_view t, std::array<uint8_t, 16>& out) {
    if (t.size() == 38) {
      if (t.front() != '{' || t.back() != '}') return false;
      t = t.substr(1, 36);
    }
    if (t.size() != 36) return false;
    if (t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') return false;
    // The digit pairs' offsets, the dashes skipped.
    constexpr size_t kPairs[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
    for (size_t b = 0; b < 16; ++b) {
      const uint8_t hi = kHexValues[static_cast<uint8_t>(t[kPairs[b]])];
      const uint8_t lo = kHexValues[static_cast<uint8_t>(t[kPairs[b] + 1])];
      if (hi == 0xFF || lo == 0xFF) return false;
      out[b] = static_cast<uint8_t>((hi << 4) | lo);
    }
    return true;
  }

  std::array<uint8_t, 16> bytes_{};
};

// Inline, as it runs on every look-up of a row or card. Two words mixed with
// a few multiplies, where a byte-wise hash costs a multiply per byte; the
// final mix spreads IDs that differ in a few bits only (seeded and
// null-based IDs) as well as random ones.
struct GuidHash {
  size_t operator()(const Guid& g) const noexcept {
    uint64_t a, b;
    std::memcpy(&a, g.bytes().data(), 8);
    std::memcpy(&b, g.bytes().data() + 8, 8);
    uint64_t h = (a ^ 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    h ^= b + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
    h = (h ^ (h >> 31)) * 0x94D049BB133111EBull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

}  // namespace com
