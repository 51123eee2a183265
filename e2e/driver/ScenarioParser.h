// The scenario language of the UI driver: one step a line, words separated by
// blanks, texts in double quotes. Inside quotes \n is a line feed, \" a quote
// and \\ a backslash; every other backslash is literal, so Windows paths need
// no doubling ("C:\Program Files\Kelmora"). A line starting with # is a comment.
#pragma once

#include <string>
#include <vector>

struct ScenarioStep {
  int line = 0;                    // 1-based line in the scenario, for messages
  std::vector<std::string> words;  // the command and its arguments, unquoted
};

// Splits one line into words. Returns false with a reason on a malformed line;
// a blank or comment line gives no words.
bool ParseScenarioLine(const std::string& line, std::vector<std::string>* words,
                       std::string* error);

// Reads a whole scenario; stops at the first malformed line with its reason.
bool ParseScenario(const std::string& text, std::vector<ScenarioStep>* steps, std::string* error);

// A text as it would be written in a scenario, for messages: quoted, with the
// line feeds and quotes escaped.
std::string QuoteForScenario(const std::string& text);
