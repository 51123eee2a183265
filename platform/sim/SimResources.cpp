#include "SimResources.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef REMOVEKM_RES_DIR
#error "REMOVEKM_RES_DIR names the folder of RemoveKM.rc"
#endif

namespace sim {
namespace {

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

class ScriptReader {
 public:
  explicit ScriptReader(const std::string& header) {
    defines_ = {{"IDOK", IDOK}, {"IDCANCEL", IDCANCEL}, {"IDC_STATIC", -1}};
    std::istringstream lines(header);
    std::string line;
    while (std::getline(lines, line)) {
      ++lineNumber_;
      std::istringstream words(line);
      std::string directive, name, value;
      words >> directive >> name;
      std::getline(words, value);
      if (directive == "#define" && !Trim(value).empty()) defines_[name] = Value(Trim(value));
    }
  }

  Resources Read(const std::string& script) {
    std::istringstream lines(script);
    std::string line;
    lineNumber_ = 0;
    while (NextLine(lines, line)) {
      std::vector<std::string> words = Words(line);
      if (words[0] == "BEGIN") {
        SkipBlock(lines);
      } else if (words[0] == "STRINGTABLE") {
        ReadStrings(lines);
      } else if (words.size() >= 2 && (words[1] == "DIALOG" || words[1] == "DIALOGEX")) {
        ReadDialog(lines, words, line);
      } else if (words.size() >= 2 && words[1] == "ICON") {
        resources_.icons.insert(Number(words[0]));
      }
    }
    return resources_;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw std::runtime_error("resource script line " + std::to_string(lineNumber_) + ": " + why);
  }

  // The next line with something on it, comments and preprocessor lines left out.
  bool NextLine(std::istream& lines, std::string& line) {
    while (std::getline(lines, line)) {
      ++lineNumber_;
      line = Trim(line);
      if (!line.empty() && line[0] != '#' && line.compare(0, 2, "//") != 0) return true;
    }
    return false;
  }

  static std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
  }

  // The arguments after a statement's keyword, split at commas outside strings.
  static std::vector<std::string> Arguments(const std::string& text) {
    std::vector<std::string> arguments(1);
    bool quoted = false;
    for (char c : text) {
      if (c == '"') quoted = !quoted;
      if (c == ',' && !quoted)
        arguments.emplace_back();
      else
        arguments.back() += c;
    }
    for (std::string& argument : arguments) argument = Trim(argument);
    return arguments;
  }

  static std::string AfterWord(const std::string& line) {
    size_t space = line.find_first_of(" \t");
    return space == std::string::npos ? "" : Trim(line.substr(space));
  }

  // A number, a defined name, or several joined with "|".
  long long Value(const std::string& expression) {
    long long value = 0;
    std::istringstream terms(expression);
    for (std::string term; std::getline(terms, term, '|');) {
      term = Trim(term);
      while (term.size() > 1 && term.front() == '(' && term.back() == ')')
        term = Trim(term.substr(1, term.size() - 2));
      char* end = nullptr;
      long long number = std::strtoll(term.c_str(), &end, 0);
      if (!term.empty() && (*end == '\0' || ((*end == 'L' || *end == 'l') && end[1] == '\0')))
        value |= number;
      else if (defines_.count(term))
        value |= defines_[term];
      else
        Fail("unknown value \"" + term + "\"");
    }
    return value;
  }

  int Number(const std::string& expression) { return static_cast<int>(Value(expression)); }

  // A quoted string: "" stands for a quote, backslash escapes as in C.
  std::string Text(const std::string& literal) {
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"')
      Fail("a string was expected: " + literal);
    std::string text;
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
      char c = literal[i];
      if (c == '"') {
        ++i;  // the second quote of ""
      } else if (c == '\\' && i + 2 < literal.size()) {
        char next = literal[++i];
        c = next == 'n' ? '\n' : next == 't' ? '\t' : next;
      }
      text += c;
    }
    return text;
  }

  void SkipBlock(std::istream& lines) {
    std::string line;
    for (int depth = 1; depth > 0;) {
      if (!NextLine(lines, line)) Fail("END missing");
      if (line == "BEGIN") ++depth;
      if (line == "END") --depth;
    }
  }

  void ReadStrings(std::istream& lines) {
    std::string line;
    if (!NextLine(lines, line) || line != "BEGIN") Fail("BEGIN expected after STRINGTABLE");
    while (NextLine(lines, line) && line != "END") {
      size_t quote = line.find('"');
      if (quote == std::string::npos) Fail("a string entry was expected");
      std::string id = Trim(line.substr(0, quote));
      if (!id.empty() && id.back() == ',') id.pop_back();
      resources_.strings[Number(id)] = Text(line.substr(quote));
    }
  }

  void ReadDialog(std::istream& lines, const std::vector<std::string>& words,
                  const std::string& line) {
    DialogTemplate dialog;
    dialog.id = Number(words[0]);
    std::vector<std::string> place = Arguments(AfterWord(AfterWord(line)));
    if (place.size() < 4) Fail("x, y, width, height expected");
    dialog.x = Number(place[0]);
    dialog.y = Number(place[1]);
    dialog.cx = Number(place[2]);
    dialog.cy = Number(place[3]);

    std::string statement;
    while (NextLine(lines, statement) && statement != "BEGIN") {
      const std::string keyword = Words(statement)[0];
      if (keyword == "STYLE") dialog.style = static_cast<DWORD>(Value(AfterWord(statement)));
      if (keyword == "EXSTYLE") dialog.exStyle = static_cast<DWORD>(Value(AfterWord(statement)));
      if (keyword == "CAPTION") dialog.caption = Text(AfterWord(statement));
    }
    while (NextLine(lines, statement) && statement != "END") {
      if (Words(statement)[0] != "CONTROL") Fail("only CONTROL lines are read in a dialog");
      std::vector<std::string> fields = Arguments(AfterWord(statement));
      if (fields.size() < 8) Fail("CONTROL needs text, id, class, style, x, y, width, height");
      ControlTemplate control;
      if (fields[0].front() == '"') control.text = Text(fields[0]);
      control.id = Number(fields[1]);
      control.className = Text(fields[2]);
      control.style = static_cast<DWORD>(Value(fields[3]));
      control.x = Number(fields[4]);
      control.y = Number(fields[5]);
      control.cx = Number(fields[6]);
      control.cy = Number(fields[7]);
      dialog.controls.push_back(control);
    }
    resources_.dialogs[dialog.id] = dialog;
  }

  std::map<std::string, long long> defines_;
  Resources resources_;
  int lineNumber_ = 0;
};

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

Resources ParseResources(const std::string& script, const std::string& header) {
  return ScriptReader(header).Read(script);
}

const Resources& ProgramResources() {
  static const Resources resources = ParseResources(ReadWholeFile(REMOVEKM_RES_DIR "/RemoveKM.rc"),
                                                    ReadWholeFile(REMOVEKM_RES_DIR "/resource.h"));
  return resources;
}

}  // namespace sim
