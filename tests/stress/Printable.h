// Texts of the simulated machine made fit for a test log: names there hold
// bytes of the 8-bit code page.
#pragma once

#include <string>

namespace stress {

// `text` with bytes outside printable ASCII written as \xNN.
std::string Printable(const std::string& text);

}  // namespace stress
