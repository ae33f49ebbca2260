#pragma once

#include <string>

#include "vorlane/process.h"

namespace card {

// The printable report of a process (what the card's print command hands
// to the host): a self-contained HTML document with the process's header
// fields, its picture (`svg`, inlined), and tables of its functions, gates,
// links and variables. Every text from the process is escaped.
std::string PrintReport(vorlane::Process& process, const std::string& svg, const std::string& card_type_name);

}  // namespace card
