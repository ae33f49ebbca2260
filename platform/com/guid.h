#pragma once

#include <array>
#include <stdexcept>
#include <cstdint>
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
  bool IsNull() const { return *this == Guid(); }

  const std::array<uint8_t, 16>& bytes() const { return bytes_; }
  friend constexpr bool operator==(const Guid&, const Guid&) = default;
  friend constexpr auto operator<=>(const Guid&, const Guid&) = default;

 private:
  static constexpr int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  static constexpr bool ParseInto(std::string_view t, std::array<uint8_t, 16>& out) {
    if (t.size() == 38) {
      if (t.front() != '{' || t.back() != '}') return false;
      t = t.substr(1, 36);
    }
    if (t.size() != 36) return false;
    size_t b = 0;
    for (size_t i = 0; i < 36;) {
      if (i == 8 || i == 13 || i == 18 || i == 23) {
        if (t[i] != '-') return false;
        ++i;
        continue;
      }
      int hi = Hex(t[i]), lo = Hex(t[i + 1]);
      if (hi < 0 || lo < 0) return false;
      out[b++] = static_cast<uint8_t>(hi * 16 + lo);
      i += 2;
    }
    return true;
  }

  std::array<uint8_t, 16> bytes_{};
};

struct GuidHash {
  size_t operator()(const Guid& g) const noexcept;
};

}  // namespace com
