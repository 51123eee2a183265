// The tests' own reader of regedit's files, independent of the program's
// writer: what registry a file describes, key by key and value by value.
#pragma once

#include <map>
#include <string>
#include <utility>

// Value name (UTF-8; "" for the default value) to its type and data bytes.
using RegValues = std::map<std::string, std::pair<unsigned long, std::string>>;
// Key name as the file spells it (UTF-8) to its values.
using RegKeys = std::map<std::string, RegValues>;

// UTF-16LE bytes after a byte-order mark, as UTF-8 text.
std::string Utf8FromUtf16(const std::string& bytes);
// Reads a "Windows Registry Editor Version 5.00" file's UTF-8 text as regedit
// imports it: quoted strings become UTF-16LE with their NUL. Throws
// std::invalid_argument on anything regedit would not read.
RegKeys ReadRegFile(const std::string& text);
