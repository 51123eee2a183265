#include "app/CommandLine.h"

#include "removal/WidePath.h"
#include "removal/closing/CloseList.h"

namespace {

enum Switch {
  kQuiet,
  kCheck,
  kNoSave,
  kAllUsers,
  kNoClose,
  kSaveTo,
  kFolder,
  kLog,
  kRegBackup,
  kCloseWait,
  kCloseInSession,
  kHelp,
  kDefer,
  kIgnored,
  kUnknown
};

const struct {
  const char* name;
  Switch id;
} kSwitches[] = {
    // clang-format off
    {"quiet", kQuiet},     {"q", kQuiet},       {"qn", kQuiet},          {"s", kQuiet},
    {"silent", kQuiet},    {"check", kCheck},   {"nosave", kNoSave},     {"allusers", kAllUsers},
    {"saveto", kSaveTo},   {"folder", kFolder}, {"log", kLog},           {"?", kHelp},
    {"noclose", kNoClose}, {"defer", kDefer},   {"norestart", kIgnored}, {"regbackup", kRegBackup},
    {"closewait", kCloseWait}, {"closeinsession", kCloseInSession},
    // clang-format on
};

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

char LowerCase(char ch) { return ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch; }

bool LooksLikeSwitch(const CString& argument) {
  return !argument.IsEmpty() && (argument[0] == '/' || argument[0] == '-');
}

Switch SwitchOf(const CString& argument) {
  for (const auto& known : kSwitches) {
    int i = 0;
    while (known.name[i] != '\0' && LowerCase(argument[i + 1]) == known.name[i]) ++i;
    if (known.name[i] == '\0' && i + 1 == argument.GetLength()) return known.id;
  }
  return kUnknown;
}

const char* SkipProgramName(const char* p) {
  // The program's name ends at its closing quote, or at a blank; backslashes
  // are plain there.
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && !IsBlank(*p)) ++p;
  }
  while (IsBlank(*p)) ++p;
  return p;
}

// The next argument: 2n backslashes before a quote give n and the quote opens
// or closes; 2n+1 give n and a plain quote; "" inside quotes gives a quote;
// other backslashes are plain. False when none is left.
bool NextArgument(const char*& p, CString& argument) {
  while (IsBlank(*p)) ++p;
  if (*p == '\0') return false;
  argument = "";
  bool quoted = false;
  while (*p != '\0' && (quoted || !IsBlank(*p))) {
    int backslashes = 0;
    while (*p == '\\') ++backslashes, ++p;
    if (*p != '"') {
      while (backslashes-- > 0) argument += '\\';
      if (*p != '\0' && (quoted || !IsBlank(*p))) argument += *p++;
      continue;
    }
    for (int i = 0; i < backslashes / 2; ++i) argument += '\\';
    if (backslashes % 2 == 1) {
      argument += '"';
    } else if (quoted && p[1] == '"') {
      argument += '"';
      ++p;
    } else {
      quoted = !quoted;
    }
    ++p;
  }
  return true;
}

CCommandLine Invalid(CCommandLine& line, const CString& problem) {
  line.mode = kRunInvalid;
  line.problem = problem;
  return line;
}

// The first problem is kept, and the rest is still read: a /quiet after it
// must still keep the refusal off the screen.
void Refuse(CCommandLine& line, const CString& problem) {
  if (line.problem.IsEmpty()) line.problem = problem;
}

}  // namespace

CCommandLine ParseCommandLine(LPCSTR commandLine) {
  CCommandLine line;
  line.mode = kRunDialog;
  line.quiet = line.noSave = line.allUsers = line.noClose = line.defer = false;
  line.closeWait = 60;
  CString closeWait;
  const char* p = SkipProgramName(commandLine ? commandLine : "");

  bool check = false, help = false, removalSwitch = false;
  CString argument;
  while (NextArgument(p, argument)) {
    const Switch id = LooksLikeSwitch(argument) ? SwitchOf(argument) : kUnknown;
    CString* value = NULL;
    switch (id) {
      case kQuiet:
        line.quiet = true;
        break;
      case kCheck:
        check = true;
        break;
      case kHelp:
        help = true;
        break;
      case kNoSave:
        line.noSave = removalSwitch = true;
        break;
      case kAllUsers:
        line.allUsers = removalSwitch = true;
        break;
      case kNoClose:
        line.noClose = removalSwitch = true;
        break;
      case kDefer:
        line.defer = removalSwitch = true;
        break;
      case kIgnored:  // /norestart: this program never restarts the computer
        break;
      case kSaveTo:
        value = &line.saveTo, removalSwitch = true;
        break;
      case kFolder:
        value = &line.folder;
        break;
      case kLog:
        value = &line.logFile;
        break;
      case kRegBackup:
        value = &line.regBackup, removalSwitch = true;
        break;
      case kCloseWait:
        value = &closeWait;
        break;
      case kCloseInSession:
        value = &line.closeInSession;
        break;
      case kUnknown:
        Refuse(line, "unknown argument \"" + argument + "\"");
        break;
    }
    if (value == NULL) continue;
    if (!value->IsEmpty()) Refuse(line, argument + " given twice");
    // An empty value names nothing; one like a switch means the value is
    // missing, and is read as a switch.
    const char* before = p;
    if (!NextArgument(p, *value) || value->IsEmpty() || LooksLikeSwitch(*value)) {
      *value = "";
      p = before;
      Refuse(line, argument + " needs a value");
    }
  }
  if (!line.problem.IsEmpty()) return Invalid(line, line.problem);

  const bool valued = !line.logFile.IsEmpty() || !line.folder.IsEmpty();
  // Whole seconds, an hour at most.
  for (int i = 0; i < closeWait.GetLength(); ++i) {
    if (closeWait[i] < '0' || closeWait[i] > '9' || i > 3)
      return Invalid(line, "/closewait needs a number of seconds");
    line.closeWait = (i ? line.closeWait * 10 : 0) + (closeWait[i] - '0');
  }
  if (line.closeWait > 3600) return Invalid(line, "/closewait takes an hour at most");
  if (!line.closeInSession.IsEmpty()) {
    // The removal's own copy in a pupil's session.
    if (line.quiet || check || help || removalSwitch || valued)
      return Invalid(line, "/closeinsession takes only /closewait");
    if (!IsCloseList(line.closeInSession))
      return Invalid(line, "/closeinsession needs programs as ID:HIGH:LOW,...");
    line.mode = kRunCloseInSession;
    return line;
  }
  if (!closeWait.IsEmpty()) removalSwitch = true;
  if (help) {
    if (line.quiet || check || removalSwitch || valued) return Invalid(line, "/? stands alone");
    line.mode = kRunUsage;
  } else if (line.quiet && check) {
    return Invalid(line, "/quiet and /check exclude each other");
  } else if (line.noSave && !line.saveTo.IsEmpty()) {
    return Invalid(line, "/nosave and /saveto exclude each other");
  } else if (check) {
    if (removalSwitch) return Invalid(line, "/check takes only /log and /folder");
    line.mode = kRunCheck;
  } else if (line.quiet) {
    line.mode = kRunQuiet;
  } else if (removalSwitch || valued) {
    return Invalid(line, "the removal's switches need /quiet");
  }
  return line;
}

CString CommandLineText() {
  LPCWSTR wide = GetCommandLineW();
  return wide != NULL ? CWidePath(wide).Utf8() : CWidePath(GetCommandLineA()).Utf8();
}
