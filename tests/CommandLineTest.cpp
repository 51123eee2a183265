#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {

struct Case {
  const char* line;
  RunMode mode;
  bool quiet;
  bool noSave = false;
  bool allUsers = false;
  const char* saveTo = "";
  const char* folder = "";
  const char* logFile = "";
  bool noClose = false;
  const char* regBackup = "";
  bool defer = false;
  DWORD closeWait = 60;
  const char* closeInSession = "";
};

// Invalid rows check the mode and whether /quiet was seen (which decides
// whether the refusal may be shown).
// clang-format off
const Case kCases[] = {
    {"\"C:\\My Tools\\RemoveKM.exe\"", kRunDialog, false, false, false, "", "", ""},
    {"RemoveKM.exe   ", kRunDialog, false, false, false, "", "", ""},
    {"RemoveKM /quiet", kRunQuiet, true, false, false, "", "", ""},
    {"RemoveKM -Q", kRunQuiet, true, false, false, "", "", ""},
    {"RemoveKM /QN /AllUsers", kRunQuiet, true, false, true, "", "", ""},
    {"RemoveKM -s -NOSAVE", kRunQuiet, true, true, false, "", "", ""},
    {"\"C:\\a b\\RemoveKM.exe\" /Silent\t/saveto \"C:\\Saved Data\\PC 01\"", kRunQuiet, true, false,
     false, "C:\\Saved Data\\PC 01", "", ""},
    {"RemoveKM /q /saveto \\\\server\\backups\\PC01 /folder D:\\K", kRunQuiet, true, false, false,
     "\\\\server\\backups\\PC01", "D:\\K", ""},
    // "" inside quotes is a quote; 2n backslashes before a quote give n.
    {"RemoveKM /q /folder \"C:\\a \"\"b\"\"\" /log C:\\x\\\\\"y z\"", kRunQuiet, true, false, false,
     "", "C:\\a \"b\"", "C:\\x\\y z"},
    // 2n+1 backslashes give n and a plain quote: a folder quoted with a
    // trailing backslash keeps the quote.
    {"RemoveKM /q /folder \"C:\\K\\\" /nosave", kRunQuiet, true, false, false, "",
     "C:\\K\" /nosave", ""},
    {"RemoveKM /check /log \"C:\\logs\\check.log\"", kRunCheck, false, false, false, "", "",
     "C:\\logs\\check.log"},
    {"RemoveKM /?", kRunUsage, false, false, false, "", "", ""},
    {"RemoveKM /q /NoClose", kRunQuiet, true, false, false, "", "", "", true},
    {"RemoveKM /q /RegBackup \"D:\\Kept\\PC 01.reg\"", kRunQuiet, true, false, false, "", "", "",
     false, "D:\\Kept\\PC 01.reg"},
    {"RemoveKM /regbackup D:\\k.reg", kRunInvalid, false},
    {"RemoveKM /noclose", kRunInvalid, false},
    {"RemoveKM /quiet /bogus", kRunInvalid, true},
    {"RemoveKM /quiet/nosave", kRunInvalid, false},
    {"RemoveKM //quiet", kRunInvalid, false},
    {"RemoveKM quiet", kRunInvalid, false},
    {"RemoveKM /quiet /log", kRunInvalid, true},
    {"RemoveKM /quiet /saveto /nosave", kRunInvalid, true},
    {"RemoveKM /quiet /folder \"\"", kRunInvalid, true},
    {"RemoveKM /quiet /log a /log b", kRunInvalid, true},
    {"RemoveKM /quiet /nosave /saveto C:\\x", kRunInvalid, true},
    {"RemoveKM /quiet /check", kRunInvalid, true},
    {"RemoveKM /check /folder C:\\K", kRunCheck, false, false, false, "", "C:\\K", ""},
    {"RemoveKM /folder C:\\K", kRunInvalid, false},
    {"RemoveKM /check /allusers", kRunInvalid, false},
    // Read whole before anything is refused: a /quiet after a fault still counts.
    {"RemoveKM /bogus /quiet", kRunInvalid, true},
    {"RemoveKM /log /q", kRunInvalid, true},
    {"RemoveKM /norestart /quiet", kRunQuiet, true},
    {"RemoveKM /QUIET /NoRestart", kRunQuiet, true},
    {"RemoveKM /q /defer", kRunQuiet, true, false, false, "", "", "", false, "", true},
    {"RemoveKM /defer", kRunInvalid, false},
    {"RemoveKM /nosave", kRunInvalid, false},
    {"RemoveKM /log C:\\x.log", kRunInvalid, false},
    {"RemoveKM /? /quiet", kRunInvalid, true},
    {"RemoveKM /q /CloseWait 0", kRunQuiet, true, false, false, "", "", "", false, "", false, 0},
    {"RemoveKM /closeinsession 1536:30408704:10000000,1540:1:2 /closewait 90", kRunCloseInSession, false, false, false, "", "", "", false, "", false, 90, "1536:30408704:10000000,1540:1:2"},
    {"RemoveKM /closewait 30", kRunInvalid, false},
    {"RemoveKM /q /closewait 3600", kRunQuiet, true, false, false, "", "", "", false, "", false, 3600},
    {"RemoveKM /q /closewait 3601", kRunInvalid, true},
    {"RemoveKM /q /closewait 1x", kRunInvalid, true},
    {"RemoveKM /q /closeinsession 1:2:3", kRunInvalid, true},
    {"RemoveKM /closeinsession 4294967295:0:007", kRunCloseInSession, false, false, false, "", "", "", false, "", false, 60, "4294967295:0:007"},
    // A value that names no programs as ID:HIGH:LOW,... is refused, as any bad value.
    {"RemoveKM /closeinsession \"\"", kRunInvalid, false},
    {"RemoveKM /closeinsession 1536:30408704", kRunInvalid, false},
    {"RemoveKM /closeinsession 1536::10000000", kRunInvalid, false},
    {"RemoveKM /closeinsession 1536:30408704:10000000:", kRunInvalid, false},
    {"RemoveKM /closeinsession 1536:3040x704:10000000", kRunInvalid, false},
    {"RemoveKM /closeinsession 1536:+1:10000000", kRunInvalid, false},
    {"RemoveKM /closeinsession 1536:30408704:10000000,", kRunInvalid, false},
    {"RemoveKM /closeinsession 1:2:3,,4:5:6", kRunInvalid, false},
    {"RemoveKM /closeinsession ,1:2:3", kRunInvalid, false},
    {"RemoveKM /closeinsession 4294967296:0:0", kRunInvalid, false},
    {"RemoveKM /closeinsession 1:2:99999999999", kRunInvalid, false},
};
// clang-format on

TEST(CommandLineTest, SwitchesValuesAndQuotingAsWindowsSplitsThem) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    const CCommandLine line = ParseCommandLine(c.line);
    EXPECT_EQ(line.mode, c.mode) << line.problem;
    EXPECT_EQ(line.quiet, c.quiet);
    if (c.mode == kRunInvalid) {
      EXPECT_FALSE(line.problem.IsEmpty());
      continue;
    }
    EXPECT_EQ(line.noSave, c.noSave);
    EXPECT_EQ(line.allUsers, c.allUsers);
    EXPECT_STREQ(line.saveTo, c.saveTo);
    EXPECT_STREQ(line.folder, c.folder);
    EXPECT_STREQ(line.logFile, c.logFile);
    EXPECT_EQ(line.noClose, c.noClose);
    EXPECT_STREQ(line.regBackup, c.regBackup);
    EXPECT_EQ(line.defer, c.defer);
    EXPECT_EQ(line.closeWait, c.closeWait);
    EXPECT_STREQ(line.closeInSession, c.closeInSession);
  }
}

}  // namespace
