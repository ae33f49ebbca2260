#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// A small writer of JSON text for the tool's --json output: objects,
// arrays, texts, numbers and Booleans, with commas and escapes placed for
// the caller.
class JsonWriter {
 public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next member of an object.
  JsonWriter& Key(std::string_view name);
  JsonWriter& String(std::string_view value);
  JsonWriter& Number(double value);
  JsonWriter& Int(long long value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // A member with its value, for the common case.
  JsonWriter& Field(std::string_view name, std::string_view value) { return Key(name).String(value); }
  JsonWriter& Field(std::string_view name, const char* value) { return Key(name).String(value); }
  JsonWriter& Field(std::string_view name, long long value) { return Key(name).Int(value); }
  JsonWriter& Field(std::string_view name, int value) { return Key(name).Int(value); }
  JsonWriter& Field(std::string_view name, bool value) { return Key(name).Bool(value); }

  const std::string& text() const { return out_; }

  static std::string Escape(std::string_view s);

 private:
  void BeforeValue();

  std::string out_;
  // Per open container: whether a value was written in it yet.
  std::vector<bool> has_value_;
  bool after_key_ = false;
};

}  // namespace cli
