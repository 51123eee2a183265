// How the machine spells names for the ANSI and the wide functions, and the
// code page conversions of kernel32 for code page 1252.
#include <algorithm>
#include <cstring>

#include "SimState.h"

namespace sim {
namespace {

// Code page 1252 from 0x80 to 0x9F; the five bytes it leaves undefined stand
// for the control characters of the same value, as Windows converts them.
const char32_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// What Windows' best fit makes of characters the code page has not (the
// Greek capital omega as measured under Wine, the Polish L with stroke and z
// with acute from Windows' best-fit table for 1252); every other such
// character becomes "?".
const struct {
  char32_t character;
  char ansi;
} kBestFit[] = {{0x03A9, 'O'}, {0x0141, 'L'}, {0x0142, 'l'}, {0x017A, 'z'}};

char32_t FromAnsiByte(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

// The code page's byte for a character, or -1 when it has none.
int AnsiByte(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character < 0x100)) return int(character);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == character) return 0x80 + i;
  return -1;
}

}  // namespace

// The character of a UTF-8 sequence at `text`, with its length; 0 when none.
size_t Utf8Sequence(const unsigned char* text, size_t left, char32_t& character) {
  const unsigned char lead = text[0];
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (lead >= 0xF5 || length == 0 || length > left) return 0;
  character = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) return 0;
    character = (character << 6) | (text[i] & 0x3F);
  }
  const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  return character >= smallest[length] && character <= 0x10FFFF ? length : 0;
}

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += char(c);
    return;
  }
  if (c < 0x800) {
    text += char(0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    text += char(0xE0 | (c >> 12));
    text += char(0x80 | ((c >> 6) & 0x3F));
  } else {
    text += char(0xF0 | (c >> 18));
    text += char(0x80 | ((c >> 12) & 0x3F));
    text += char(0x80 | ((c >> 6) & 0x3F));
  }
  text += char(0x80 | (c & 0x3F));
}

namespace {

char BestFit(char32_t character) {
  const int byte = AnsiByte(character);
  if (byte >= 0) return char(byte);
  for (const auto& fit : kBestFit)
    if (fit.character == character) return fit.ansi;
  return '?';
}

}  // namespace

std::u32string Characters(const std::string& stored) {
  std::u32string characters;
  const auto* text = reinterpret_cast<const unsigned char*>(stored.data());
  for (size_t i = 0; i < stored.size();) {
    char32_t character = 0;
    const size_t length = Utf8Sequence(text + i, stored.size() - i, character);
    if (length && AnsiByte(character) < 0) {
      characters += character;
      i += length;
    } else {
      characters += FromAnsiByte(text[i++]);
    }
  }
  return characters;
}

std::string Stored(const std::u32string& characters) {
  std::string stored;
  for (char32_t character : characters) {
    const int byte = AnsiByte(character);
    if (byte >= 0)
      stored += char(byte);
    else
      AppendUtf8(stored, character);
  }
  return stored;
}

std::string Ansi(const std::string& stored, bool* usedDefault) {
  std::string ansi;
  for (char32_t character : Characters(stored)) {
    // A best fit is no default character, as in Windows.
    const char fit = BestFit(character);
    ansi += fit;
    if (usedDefault && fit == '?' && character != U'?') *usedDefault = true;
  }
  return ansi;
}

std::string AnsiSpelling(const std::string& stored) { return Ansi(stored); }

std::string StoredName(LPCWSTR wide) {
  std::u32string characters;
  for (; wide && *wide; ++wide) characters += char32_t(*wide);
  return Stored(characters);
}

DWORD MissingWideCall(const char* name) {
  if (!Faulted(Op::WideCall, name)) return 0;
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return ERROR_CALL_NOT_IMPLEMENTED;
}

WideArg::WideArg(LPCWSTR wide) : null_(wide == nullptr) {
  std::u32string characters;
  if (wide)
    for (; *wide; ++wide) characters += char32_t(*wide);
  text_ = Stored(characters);
  ++machine().state().wideArguments;
}

WideArg::~WideArg() { --machine().state().wideArguments; }

void FillWide(const std::string& stored, LPWSTR buffer, size_t size) {
  const std::u32string characters = Characters(stored);
  const size_t copied = std::min(characters.size(), size - 1);
  for (size_t i = 0; i < copied; ++i) buffer[i] = WCHAR(characters[i]);
  buffer[copied] = 0;
}

DWORD CopyWideIfFits(const std::string& stored, LPWSTR buffer, DWORD size) {
  const DWORD length = DWORD(Characters(stored).size());
  if (!buffer || size <= length) return length + 1;
  FillWide(stored, buffer, size);
  return length;
}

}  // namespace sim

namespace {

// UTF-8 text as characters; a byte that begins no sequence stands for U+FFFD,
// as Windows converts it.
std::u32string FromUtf8(const char* text, size_t count) {
  std::u32string characters;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < count;) {
    char32_t character = 0;
    if (bytes[i] < 0x80) {
      characters += bytes[i++];
    } else if (const size_t length = sim::Utf8Sequence(bytes + i, count - i, character)) {
      characters += character;
      i += length;
    } else {
      characters += U'\xFFFD';
      ++i;
    }
  }
  return characters;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                        int wideLength) {
  sim::Enter();
  if ((codePage != CP_ACP && codePage != CP_UTF8) || !text || wideLength < 0)
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  const size_t count = length < 0 ? std::strlen(text) + 1 : size_t(length);
  std::u32string characters;
  if (codePage == CP_UTF8)
    characters = FromUtf8(text, count);
  else
    for (size_t i = 0; i < count; ++i) characters += sim::Characters(std::string(1, text[i]))[0];
  if (wideLength == 0) return int(characters.size());
  if (characters.size() > size_t(wideLength)) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  for (size_t i = 0; i < characters.size(); ++i) wide[i] = WCHAR(characters[i]);
  return int(characters.size());
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideLength, LPSTR text, int length,
                        LPCSTR, LPBOOL usedDefault) {
  sim::Enter();
  if ((codePage != CP_ACP && codePage != CP_UTF8) || !wide || length < 0)
    return sim::Refuse(ERROR_INVALID_PARAMETER);
  std::u32string characters;
  const WCHAR* end = wide;
  if (wideLength < 0)
    while (*end++) {
    }
  else
    end = wide + wideLength;
  for (const WCHAR* c = wide; c < end; ++c) characters += char32_t(*c);
  bool defaulted = false;
  std::string ansi;
  if (codePage == CP_UTF8)
    for (char32_t character : characters) sim::AppendUtf8(ansi, character);
  else
    ansi = sim::Ansi(sim::Stored(characters), &defaulted);
  if (usedDefault) *usedDefault = defaulted;
  if (length == 0) return int(ansi.size());
  if (ansi.size() > size_t(length)) return sim::Refuse(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(text, ansi.data(), ansi.size());
  return int(ansi.size());
}

std::string sim::StoredFromUtf8(const std::string& utf8) {
  const size_t start = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  return Stored(FromUtf8(utf8.data() + start, utf8.size() - start));
}
