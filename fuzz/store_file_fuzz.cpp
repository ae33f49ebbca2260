// A store file whose pages someone changed: opening it and reading every
// card either fails with a com::Error or gives cards whose XML form is
// XML, as it would be for a store that only this system wrote.
#include <unistd.h>

#include <pugixml.hpp>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "embedded/store/open.h"
#include "embedded/store/storage.h"
#include "fuzz/fuzz_check.h"
#include "platform/ostrel/card_manager.h"

namespace {

// A folder of this process's own for the file under test, removed when the
// run ends.
struct Folder {
  std::string path;
  // mkdtemp puts a unique name in place of the X's.
  Folder() : path((std::filesystem::temp_directory_path() / "vorlane-fuzz-XXXXXX").string()) {
    if (!mkdtemp(path.data())) fuzz::Broken("no folder for the store file", path);
  }
  ~Folder() { rmdir(path.c_str()); }
};

const std::string& StorePath() {
  static const Folder folder;
  static const std::string path = folder.path + "/store.vorlane";
  return path;
}

void Remove(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) unlink((path + suffix).c_str());
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!file.flush()) fuzz::Broken("cannot write the store file", path);
}

void ReadEveryCard(const std::string& path) {
  auto store = embedded::Store::Open({.path = path, .create = false});
  auto session = embedded::Open({.store = store, .account = "fuzz"});
  auto cards = session->GetCardManager();
  for (const auto& entry : store->storage().ListEntries()) {
    std::string xml;
    try {
      xml = cards->GetCardData(entry.id.ToString())->GetXML(false);
    } catch (const com::Error&) {
      continue;  // a card the file cannot give is refused alone
    }
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(xml.data(), xml.size());
    fuzz::Check(static_cast<bool>(parsed), "a card of the store has an XML form that is not XML", parsed.description());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = StorePath();
  Remove(path);
  Write(path, data, size);
  try {
    ReadEveryCard(path);
  } catch (const com::Error&) {
    // a file that is not a store, or a store that cannot be read, is refused
  }
  Remove(path);
  return 0;
}
