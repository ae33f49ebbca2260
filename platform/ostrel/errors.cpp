#include "platform/ostrel/errors.h"

namespace ostrel::err {

std::string RefusalText(int subcode, std::string_view text) {
  std::string out = "Korvessa.Platform.StorageServer.SoapError: 1873, ";
  out += std::to_string(subcode);
  out += ", ";
  out += text;
  return out;
}

}  // namespace ostrel::err
