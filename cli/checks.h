#pragma once

#include <cstdint>

#include <string>
#include <vector>

#include "vorlane/dictionary.h"
#include "vorlane/process.h"

namespace cli {

// One thing wrong with a process, naming the element it concerns.
struct Finding {
  // A short name of the rule: "noStartFunction", "unknownFunctionType",
  // "unknownGateType", "danglingLink", "unreachable", "valueDoesNotFitType",
  // "duplicateVariableName".
  std::string rule;
  // The element's kind ("process", "function", "gate", "link", "variable"),
  // caption or name, and ID.
  std::string kind, caption, id;
  std::string text;
  // Whether the finding keeps the process from starting: the card refuses
  // to start a process with such a finding.
  bool blocks_start = false;
};

// The findings of `process`: those the card checks before a start (a start
// function, the types of functions and gates known to the dictionary) and
// what would only show in the run (links to nowhere, nodes no start function
// leads to, stored values that do not fit their variable's type, two
// variables of one name). Reads the process and changes nothing.
std::vector<Finding> CheckProcess(vorlane::Process& process, vorlane::Dictionary& dictionary);

// Only the findings that keep a process from starting.
std::vector<Finding> StartFindings(const std::vector<Finding>& findings);

// The process graph in Graphviz's dot language: functions as boxes, gates
// as diamonds, links as edges styled by their type.
std::string DotPicture(vorlane::Process& process);

}  // namespace cli

namespace cli {

// Checks that the file at `path` can be a process document before it is
// read as one, and fails with 0x80040001 saying which way it cannot: not
// there or unreadable, empty, not text, not XML (with the line and column),
// cut off, XML of another kind, or a data document without a process.
// Only a regular file of at most `max_size` bytes is read (a pipe, a device
// or a folder is refused before reading). Answers the text it read.
std::string CheckProcessFile(const std::string& path, uint64_t max_size);
// Keeps standard input in the file at `path` for the importer to read,
// refusing it past `max_size` bytes.
void SaveStandardInput(const std::string& path, uint64_t max_size);

}  // namespace cli
