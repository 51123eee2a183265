#include "RegFileReader.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

void Fail(const std::string& why, const std::string& line) {
  throw std::invalid_argument("regedit would not read: " + why + ": " + line);
}

void AppendUtf16(std::string& bytes, unsigned unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>(unit >> 8);
}

std::string Utf16FromUtf8(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = text[i];
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    unsigned code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) code = (code << 6) | (text[i + k] & 0x3F);
    i += extra + 1;
    if (code >= 0x10000) {
      AppendUtf16(bytes, 0xD800 + ((code - 0x10000) >> 10));
      AppendUtf16(bytes, 0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      AppendUtf16(bytes, code);
    }
  }
  return bytes;
}

// A quoted text from `at` (at its opening quote) with `\\` and `\"` read back;
// `at` ends after the closing quote.
std::string Quoted(const std::string& line, size_t& at) {
  if (line[at] != '"') Fail("no opening quote", line);
  std::string text;
  for (++at; at < line.size() && line[at] != '"'; ++at) {
    if (line[at] == '\\') {
      if (++at == line.size() || (line[at] != '\\' && line[at] != '"')) Fail("bad escape", line);
    }
    text += line[at];
  }
  if (at++ == line.size()) Fail("no closing quote", line);
  return text;
}

std::pair<unsigned long, std::string> Data(const std::string& line, size_t at) {
  const std::string data = line.substr(at);
  if (data[0] == '"') {
    const std::string text = Quoted(line, at);
    if (at != line.size()) Fail("text after a string", line);
    return {1, Utf16FromUtf8(text) + std::string(2, '\0')};
  }
  if (data.compare(0, 6, "dword:") == 0) {
    if (data.size() != 14) Fail("dword of other than eight digits", line);
    const unsigned long number = std::strtoul(data.c_str() + 6, nullptr, 16);
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
    return {4, bytes};
  }
  unsigned long type = 3;
  size_t hex = 4;
  if (data.compare(0, 4, "hex(") == 0) {
    char* end = nullptr;
    type = std::strtoul(data.c_str() + 4, &end, 16);
    if (*end != ')' || end[1] != ':') Fail("bad hex type", line);
    hex = end + 2 - data.c_str();
  } else if (data.compare(0, 4, "hex:") != 0) {
    Fail("unknown data", line);
  }
  std::string bytes;
  for (size_t i = hex; i < data.size(); i += 3) {
    if (i + 2 > data.size() || (i + 2 < data.size() && data[i + 2] != ',')) Fail("bad byte", line);
    bytes += static_cast<char>(std::strtoul(data.substr(i, 2).c_str(), nullptr, 16));
  }
  return {type, bytes};
}

}  // namespace

std::string Utf8FromUtf16(const std::string& bytes) {
  if (bytes.size() % 2 || bytes.compare(0, 2, "\xFF\xFE") != 0)
    throw std::invalid_argument("not UTF-16LE with a byte-order mark");
  std::string text;
  for (size_t i = 2; i < bytes.size(); i += 2) {
    unsigned code = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1])
                                                               << 8;
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
      const unsigned low =
          static_cast<unsigned char>(bytes[i + 2]) | static_cast<unsigned char>(bytes[i + 3]) << 8;
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | code >> 6);
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      text += static_cast<char>(0xE0 | code >> 12);
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | code >> 18);
      text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

RegKeys ReadRegFile(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) Fail("a line without CRLF", text.substr(start));
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (lines.empty() || lines[0] != "Windows Registry Editor Version 5.00")
    Fail("no header", lines.empty() ? "" : lines[0]);
  RegKeys keys;
  RegValues* values = nullptr;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line = lines[i];
    // A hex line ending in "\" goes on after the next line's blanks.
    while (!line.empty() && line.back() == '\\' && i + 1 < lines.size()) {
      line.pop_back();
      const std::string& next = lines[++i];
      line += next.substr(next.find_first_not_of(' '));
    }
    if (line.empty()) continue;
    if (line[0] == '[') {
      if (line.back() != ']') Fail("key line without ]", line);
      values = &keys[line.substr(1, line.size() - 2)];
      continue;
    }
    if (!values) Fail("a value before any key", line);
    size_t at = 0;
    std::string name;
    if (line[0] == '@') {
      at = 1;
    } else {
      name = Quoted(line, at);
    }
    if (line[at++] != '=') Fail("no =", line);
    (*values)[name] = Data(line, at);
  }
  return keys;
}
