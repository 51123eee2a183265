#include "ScenarioParser.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads a quoted word starting after its opening quote; `pos` ends after the
// closing quote.
bool ReadQuoted(const std::string& line, size_t* pos, std::string* word, std::string* error) {
  size_t i = *pos;
  while (i < line.size()) {
    char c = line[i];
    if (c == '"') {
      *pos = i + 1;
      if (*pos < line.size() && !IsBlank(line[*pos])) {
        *error = "a quoted text must be followed by a blank";
        return false;
      }
      return true;
    }
    if (c == '\\' && i + 1 < line.size()) {
      char next = line[i + 1];
      if (next == 'n' || next == '"' || next == '\\') {
        *word += next == 'n' ? '\n' : next;
        i += 2;
        continue;
      }
    }
    *word += c;
    ++i;
  }
  *error = "missing closing quote";
  return false;
}

}  // namespace

bool ParseScenarioLine(const std::string& line, std::vector<std::string>* words,
                       std::string* error) {
  words->clear();
  size_t pos = 0;
  while (true) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) return true;
    if (words->empty() && line[pos] == '#') return true;
    std::string word;
    if (line[pos] == '"') {
      ++pos;
      if (!ReadQuoted(line, &pos, &word, error)) return false;
    } else {
      while (pos < line.size() && !IsBlank(line[pos])) word += line[pos++];
    }
    words->push_back(word);
  }
}

bool ParseScenario(const std::string& text, std::vector<ScenarioStep>* steps, std::string* error) {
  steps->clear();
  size_t start = 0;
  int number = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++number;
    ScenarioStep step;
    step.line = number;
    std::string reason;
    if (!ParseScenarioLine(text.substr(start, end - start), &step.words, &reason)) {
      *error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
    if (!step.words.empty()) steps->push_back(step);
    start = end + 1;
  }
  return true;
}

std::string QuoteForScenario(const std::string& text) {
  std::string quoted = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n') {
      quoted += "\\n";
    } else if (c == '"') {
      quoted += "\\\"";
    } else if (c == '\\') {
      // Doubled only where it would otherwise read back as an escape.
      char next = i + 1 < text.size() ? text[i + 1] : '"';
      quoted += next == 'n' || next == '"' || next == '\\' ? "\\\\" : "\\";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}
