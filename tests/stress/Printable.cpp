#include "Printable.h"

#include <cstdio>

namespace stress {

std::string Printable(const std::string& text) {
  std::string printable;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127) {
      printable += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      printable += escaped;
    }
  }
  return printable;
}

}  // namespace stress
