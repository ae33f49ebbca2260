#include "platform/com/guid.h"

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

std::optional<Guid> Guid::ParseTextForm(std::string_view text) {
  Guid g;
  if (text.size() != 38 || !ParseInto(text, g.bytes_, false)) return std::nullopt;
  return g;
}

Guid Guid::Generate() {
  // One generator per thread, seeded from the system's random source.
  thread_local std::mt19937_64 engine{[] {
    std::random_device rd;
    std::seed_seq seq{rd(), rd(), rd(), rd(), rd(), rd(), rd(), rd()};
    return std::mt19937_64(seq);
  }()};
  Guid g;
  uint64_t a = engine(), b = engine();
  for (int i = 0; i < 8; ++i) {
    g.bytes_[i] = static_cast<uint8_t>(a >> (8 * i));
    g.bytes_[8 + i] = static_cast<uint8_t>(b >> (8 * i));
  }
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
