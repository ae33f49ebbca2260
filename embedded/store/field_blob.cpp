#include "embedded/store/field_blob.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/com/error.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

using Type = com::Variant::Type;

size_t VarintSize(uint64_t v) {
  size_t n = 1;
  for (; v >= 0x80; v >>= 7) ++n;
  return n;
}

char* PutVarint(char* out, uint64_t v) {
  while (v >= 0x80) {
    *out++ = static_cast<char>((v & 0x7F) | 0x80);
    v >>= 7;
  }
  *out++ = static_cast<char>(v);
  return out;
}

template <class T>
char* PutFixed(char* out, T value) {
  static_assert(std::endian::native == std::endian::little, "the store file's numbers are little-endian");
  std::memcpy(out, &value, sizeof(T));
  return out + sizeof(T);
}

[[noreturn, gnu::cold]] void NotKept(std::string_view name, const com::Variant& value) {
  throw com::Error(ostrel::err::kStorageFailure, std::string(ostrel::err::kSource),
                   "Field \"" + std::string(name) + "\" holds a value of type " + std::string(com::TypeName(value.type())) +
                       ", which a card store does not keep");
}

class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool done() const { return pos_ == in_.size(); }
  size_t consumed() const { return pos_; }

  std::optional<uint64_t> Varint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (pos_ >= in_.size()) return std::nullopt;
      auto b = static_cast<unsigned char>(in_[pos_++]);
      v |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
    }
    return std::nullopt;
  }
  std::optional<std::string_view> Bytes(uint64_t n) {
    if (n > in_.size() - pos_) return std::nullopt;
    std::string_view out = in_.substr(pos_, n);
    pos_ += n;
    return out;
  }
  template <class T>
  std::optional<T> Fixed() {
    auto bytes = Bytes(sizeof(T));
    if (!bytes) return std::nullopt;
    T value;
    std::memcpy(&value, bytes->data(), sizeof(T));
    return value;
  }

 private:
  std::string_view in_;
  size_t pos_ = 0;
};

std::optional<com::Variant> ReadValue(Reader& r) {
  auto type = r.Fixed<uint8_t>();
  if (!type) return std::nullopt;
  switch (static_cast<Type>(*type)) {
    case Type::Empty: return com::Variant();
    case Type::I2:
      if (auto v = r.Fixed<int16_t>()) return com::Variant(*v);
      return std::nullopt;
    case Type::I4:
      if (auto v = r.Fixed<int32_t>()) return com::Variant(*v);
      return std::nullopt;
    case Type::R4:
      if (auto v = r.Fixed<float>()) return com::Variant(*v);
      return std::nullopt;
    case Type::R8:
      if (auto v = r.Fixed<double>()) return com::Variant(*v);
      return std::nullopt;
    case Type::Date:
      if (auto v = r.Fixed<double>()) return com::Variant(com::Date{*v});
      return std::nullopt;
    case Type::Bool: {
      auto v = r.Fixed<uint8_t>();
      if (!v || *v > 1) return std::nullopt;
      return com::Variant(*v == 1);
    }
    case Type::Text: {
      auto n = r.Varint();
      if (!n) return std::nullopt;
      if (auto bytes = r.Bytes(*n)) return com::Variant(*bytes);
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

// The value part of a field's form (type byte and payload): its size, 0
// for a value that no field holds; and the part written at `out`, for a
// value whose size was taken (inline: a row is written field by field).
size_t ValueSize(const com::Variant& value) {
  switch (value.type()) {
    case Type::Empty: return 1;
    case Type::I2: return 1 + 2;
    case Type::I4:
    case Type::R4: return 1 + 4;
    case Type::R8:
    case Type::Date: return 1 + 8;
    case Type::Bool: return 1 + 1;
    case Type::Text: {
      const size_t n = value.TryText()->size();
      return 1 + VarintSize(n) + n;
    }
    default: return 0;
  }
}

[[gnu::always_inline]] inline char* ValueTo(char* out, const com::Variant& value) {
  *out++ = static_cast<char>(static_cast<uint8_t>(value.type()));
  switch (value.type()) {
    case Type::Empty: return out;
    case Type::I2: return PutFixed(out, *value.TryI2());
    case Type::I4: return PutFixed(out, *value.TryI4());
    case Type::R4: return PutFixed(out, value.ToR4());
    case Type::R8: return PutFixed(out, *value.TryR8());
    case Type::Date: return PutFixed(out, value.ToDate().serial);
    case Type::Bool: *out++ = static_cast<char>(*value.TryBool() ? 1 : 0); return out;
    case Type::Text: {
      const std::string& text = *value.TryText();
      out = PutVarint(out, text.size());
      std::memcpy(out, text.data(), text.size());
      return out + text.size();
    }
    default: return out;  // not reached: its size was 0
  }
}

// The name in a name part of the form (EncodedName).
std::string_view NameOfPart(std::string_view part) {
  Reader r(part);
  r.Varint();
  return part.substr(r.consumed());
}

}  // namespace

void EncodeFields(const FieldList& fields, std::string& out) {
  for (const auto& [name, value] : fields) EncodeField(name, value, out);
}

std::string EncodedName(std::string_view name) {
  std::string out(VarintSize(name.size()) + name.size(), '\0');
  char* at = PutVarint(out.data(), name.size());
  std::memcpy(at, name.data(), name.size());
  return out;
}

void EncodeRow(const std::string* name_parts, const com::Variant* values, size_t n, std::string& out) {
  size_t size = 0;
  for (size_t i = 0; i < n; ++i) {
    if (values[i].IsNull()) continue;
    const size_t value_size = ValueSize(values[i]);
    if (value_size == 0) NotKept(NameOfPart(name_parts[i]), values[i]);
    size += name_parts[i].size() + value_size;
  }
  out.resize(size);
  char* at = out.data();
  for (size_t i = 0; i < n; ++i) {
    if (values[i].IsNull()) continue;
    const std::string& name = name_parts[i];
    std::memcpy(at, name.data(), name.size());
    at = ValueTo(at + name.size(), values[i]);
  }
}

void EncodeField(std::string_view name, const com::Variant& value, std::string& out) {
  const size_t value_size = ValueSize(value);
  if (value_size == 0) NotKept(name, value);
  const size_t at = out.size();
  out.resize(at + VarintSize(name.size()) + name.size() + value_size);
  char* to = PutVarint(out.data() + at, name.size());
  std::memcpy(to, name.data(), name.size());
  ValueTo(to + name.size(), value);
}

std::optional<FieldList> DecodeFields(std::string_view blob) {
  FieldList fields;
  FieldReader reader(blob);
  std::string_view name;
  com::Variant value;
  while (reader.Next(name, value)) fields.emplace_back(std::string(name), std::move(value));
  if (reader.failed()) return std::nullopt;
  return fields;
}

bool FieldReader::Next(std::string_view& name, com::Variant& value) {
  if (in_.empty()) return false;
  Reader r(in_);
  auto n = r.Varint();
  std::optional<std::string_view> bytes = n ? r.Bytes(*n) : std::nullopt;
  std::optional<com::Variant> read = bytes && !bytes->empty() ? ReadValue(r) : std::nullopt;
  if (!read) {
    failed_ = true;
    in_ = {};
    return false;
  }
  name = *bytes;
  value = std::move(*read);
  in_.remove_prefix(r.consumed());
  return true;
}

bool FieldsReadable(std::string_view blob) {
  Reader r(blob);
  while (!r.done()) {
    auto n = r.Varint();
    if (!n || *n == 0 || !r.Bytes(*n)) return false;
    auto type = r.Fixed<uint8_t>();
    if (!type) return false;
    switch (static_cast<Type>(*type)) {
      case Type::Empty: break;
      case Type::I2:
        if (!r.Bytes(2)) return false;
        break;
      case Type::I4:
      case Type::R4:
        if (!r.Bytes(4)) return false;
        break;
      case Type::R8:
      case Type::Date:
        if (!r.Bytes(8)) return false;
        break;
      case Type::Bool: {
        auto v = r.Fixed<uint8_t>();
        if (!v || *v > 1) return false;
        break;
      }
      case Type::Text: {
        auto length = r.Varint();
        if (!length || !r.Bytes(*length)) return false;
        break;
      }
      default: return false;
    }
  }
  return true;
}

}  // namespace embedded
