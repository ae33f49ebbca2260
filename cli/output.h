#pragma once

#include <string>
#include <vector>

#include "cli/json_writer.h"
#include "platform/com/variant.h"

namespace cli {

// A table for people: a header and rows of texts, columns padded to their
// widest cell (counted in characters, not bytes).
class Table {
 public:
  explicit Table(std::vector<std::string> header) : header_(std::move(header)) {}
  void Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
  bool empty() const { return rows_.empty(); }
  std::string Render(const std::string& indent = "") const;

 private:
  std::vector<std::string> header_;
  std::vector<std::vector<std::string>> rows_;
};

// A value as a person reads it ("" for Empty and Null, dates in ISO form).
std::string Show(const com::Variant& v);
// A value as JSON.
void WriteJson(JsonWriter& out, const com::Variant& v);
// "2026-12-08 10:30:00", or "" for the date 0.
std::string ShowDate(com::Date d);
// A date for --json: ISO 8601 with this machine's offset from UTC at that
// date ("2026-12-08T10:30:00+01:00"), or null for the date 0. The platform
// keeps local wall-clock times.
void WriteJsonDate(JsonWriter& out, com::Date d);

}  // namespace cli
