#include "cli/output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <algorithm>

#include "platform/com/text.h"

namespace cli {

std::string Table::Render(const std::string& indent) const {
  std::vector<size_t> widths(header_.size());
  auto widen = [&](const std::vector<std::string>& row) {
    for (size_t i = 0; i < row.size() && i < widths.size(); ++i) widths[i] = std::max(widths[i], text::Length(row[i]));
  };
  widen(header_);
  for (const auto& r : rows_) widen(r);
  auto line = [&](const std::vector<std::string>& row) {
    std::string out = indent;
    for (size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      out += row[i];
      if (i + 1 < row.size()) out.append(widths[i] - text::Length(row[i]) + 2, ' ');
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = line(header_);
  for (const auto& r : rows_) out += line(r);
  return out;
}

std::string ShowDate(com::Date d) {
  if (d.serial == 0) return "";
  std::string iso = com::DateToIso(d);
  iso[10] = ' ';
  return iso;
}

void WriteJsonDate(JsonWriter& out, com::Date d) {
  if (d.serial == 0) {
    out.Null();
    return;
  }
  const com::DateParts parts = com::SplitDate(d);
  std::tm local{};
  local.tm_year = parts.year - 1900;
  local.tm_mon = parts.month - 1;
  local.tm_mday = parts.day;
  local.tm_hour = parts.hour;
  local.tm_min = parts.minute;
  local.tm_sec = parts.second;
  local.tm_isdst = -1;  // the offset in force at that date, summer or winter
  long offset = 0;
  if (std::mktime(&local) != static_cast<std::time_t>(-1)) offset = local.tm_gmtoff;
  // Offsets on this planet stay within a day.
  const int minutes = static_cast<int>(std::min(std::labs(offset), 86399L) / 60);
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
  out.String(com::DateToIso(d) + zone);
}

std::string Show(const com::Variant& v) {
  switch (v.type()) {
    case com::Variant::Type::Empty:
    case com::Variant::Type::Null: return "";
    case com::Variant::Type::Date: return ShowDate(v.ToDate());
    case com::Variant::Type::Object: return "(object)";
    case com::Variant::Type::Array: return "(array)";
    case com::Variant::Type::Error: return "(missing)";
    default: return v.ToText();
  }
}

void WriteJson(JsonWriter& out, const com::Variant& v) {
  using T = com::Variant::Type;
  switch (v.type()) {
    case T::Empty:
    case T::Null:
    case T::Error: out.Null(); return;
    case T::I2:
    case T::I4: out.Int(v.ToI4()); return;
    case T::R4:
    case T::R8: out.Number(v.ToR8()); return;
    case T::Bool: out.Bool(v.ToBool()); return;
    case T::Date: WriteJsonDate(out, v.ToDate()); return;
    case T::Array:
      out.BeginArray();
      for (const auto& item : *v.TryArray()) WriteJson(out, item);
      out.EndArray();
      return;
    default: out.String(Show(v)); return;
  }
}

}  // namespace cli
