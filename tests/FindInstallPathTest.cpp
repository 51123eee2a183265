#include <string>
#include <vector>

#include "SimFixture.h"
#include "app/RemoverDlg.h"

namespace {

const char kProductKey[] = "HKLM\\SOFTWARE\\Dravenhall\\Kelmora";
const char kDefaultFolder[] = "C:\\Program Files\\Kelmora";
const char kDefaultMarker[] = "C:\\Program Files\\Kelmora\\km2.jar";
const char kX86[] = "C:\\Program Files (x86)";
const char kX86Folder[] = "C:\\Program Files (x86)\\Kelmora";
const char kX86Marker[] = "C:\\Program Files (x86)\\Kelmora\\km2.jar";
const DWORD kRegBinary = 3;  // read as text all the same
// The same name as Windows without the wide calls reads it, in UTF-8.
const char kPolishBestFit[] =
    "C:\\Programy\\Kelmora L\u00F3"
    "dz";

enum class Registry { NoKey, KeyOnly, Value };

struct Case {
  const char* what;
  Registry registry;
  std::string value;  // the value's bytes as stored
  DWORD type;
  std::vector<std::string> folders;
  std::vector<std::string> files;
  std::string expected;
  std::string programFiles = "C:\\Program Files";  // as the system names it
  bool lacksWideCalls = false;  // an older Windows: RegQueryValueExW is not there
  std::string unreached = "";   // what it reports it cannot reach
};

// `text` and its NUL, padded with NULs to `size` bytes.
std::string Padded(const std::string& text, size_t size) {
  return text + std::string(size - text.size(), '\0');
}

class FindInstallPathTest : public SimTest {};

TEST_F(FindInstallPathTest, RegistryFirstThenDefaultFolder) {
  const std::string stored = "D:\\Apps\\Kelmora";
  const Case cases[] = {
      {"existing folder without marker, default present",
       Registry::Value,
       stored,
       REG_SZ,
       {stored},
       {kDefaultMarker},
       stored},
      {"spelt its own way, returned as stored",
       Registry::Value,
       "d:/apps//kelmora",
       REG_SZ,
       {stored},
       {},
       "d:/apps//kelmora"},
      {"names a file",
       Registry::Value,
       "D:\\Apps\\kelmora.exe",
       REG_SZ,
       {},
       {"D:\\Apps\\kelmora.exe"},
       "D:\\Apps\\kelmora.exe"},
      {"names nothing, default with marker",
       Registry::Value,
       stored,
       REG_SZ,
       {"D:\\Apps"},
       {kDefaultMarker},
       kDefaultFolder},
      {"names nothing, no default", Registry::Value, stored, REG_SZ, {"D:\\Apps"}, {}, ""},
      // A drive that is not there says nothing of the folder.
      {"on an absent drive",
       Registry::Value,
       stored,
       REG_SZ,
       {},
       {kDefaultMarker},
       kDefaultFolder,
       "C:\\Program Files",
       false,
       stored},
      {"value missing", Registry::KeyOnly, "", REG_SZ, {stored}, {kDefaultMarker}, kDefaultFolder},
      {"key missing", Registry::NoKey, "", REG_SZ, {stored}, {kDefaultMarker}, kDefaultFolder},
      {"value empty", Registry::Value, "", REG_SZ, {stored}, {kDefaultMarker}, kDefaultFolder},
      {"1000 bytes with its NUL",
       Registry::Value,
       Padded(stored, 1000),
       REG_SZ,
       {stored},
       {kDefaultMarker},
       stored},
      {"1001 bytes",
       Registry::Value,
       Padded(stored, 1001),
       REG_SZ,
       {stored},
       {kDefaultMarker},
       kDefaultFolder},
      {"1000 bytes without a NUL",
       Registry::Value,
       std::string(1000, 'x'),
       kRegBinary,
       {},
       {kDefaultMarker},
       kDefaultFolder},
      {"default folder without marker", Registry::NoKey, "", REG_SZ, {kDefaultFolder}, {}, ""},
      {"neither source", Registry::NoKey, "", REG_SZ, {}, {}, ""},
      {"protected folder, default present",
       Registry::Value,
       "C:\\WINDOWS",
       REG_SZ,
       {},
       {kDefaultMarker},
       kDefaultFolder},
      {"drive root, no default", Registry::Value, "C:\\", REG_SZ, {}, {}, ""},
      {"short name of a protected folder",
       Registry::Value,
       "C:\\DOCUME~1",
       REG_SZ,
       {},
       {kDefaultMarker},
       kDefaultFolder},
      {"a pattern",
       Registry::Value,
       "C:\\Program Files\\K*",
       REG_SZ,
       {},
       {kDefaultMarker},
       kDefaultFolder},
      {"relative, placed in the current directory",
       Registry::Value,
       "Apps\\Kelmora",
       REG_SZ,
       {"C:\\Apps\\Kelmora"},
       {},
       "C:\\Apps\\Kelmora"},
      {"64-bit Windows: default in the 32-bit Program Files",
       Registry::NoKey,
       "",
       REG_SZ,
       {kDefaultFolder},
       {kX86Marker},
       kX86Folder,
       kX86},
      {"64-bit Windows: the fixed default first",
       Registry::NoKey,
       "",
       REG_SZ,
       {},
       {kX86Marker, kDefaultMarker},
       kDefaultFolder,
       kX86},
      {"64-bit Windows: no marker", Registry::NoKey, "", REG_SZ, {kX86Folder}, {}, "", kX86},
      {"a name the code page cannot spell",
       Registry::Value,
       kPolishFolder,
       REG_SZ,
       {kPolishFolder},
       {kDefaultMarker},
       kPolishFolder},
      {"without the wide read, such a name is reported as unreached",
       Registry::Value,
       kPolishFolder,
       REG_SZ,
       {kPolishFolder},
       {},
       "",
       "C:\\Program Files",
       true,
       kPolishBestFit},
      {"without the wide read, a name the code page spells is found",
       Registry::Value,
       stored,
       REG_SZ,
       {stored},
       {},
       stored,
       "C:\\Program Files",
       true},
      {"Windows on D:",
       Registry::NoKey,
       "",
       REG_SZ,
       {},
       {"D:\\Programs\\Kelmora\\km2.jar"},
       "D:\\Programs\\Kelmora",
       "D:\\Programs\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Machine& m = sim::reset();
    m.SetSpecialFolder(CSIDL_PROGRAM_FILES, c.programFiles);
    if (c.registry != Registry::NoKey) m.AddKey(kProductKey);
    if (c.registry == Registry::Value) m.SetValue(kProductKey, "InstallPath", c.value, c.type);
    if (c.lacksWideCalls) m.Fail(sim::Op::WideCall, "RegQueryValueExW", ERROR_CALL_NOT_IMPLEMENTED);
    for (const std::string& folder : c.folders) m.AddFolder(folder);
    for (const std::string& file : c.files) m.AddFile(file);
    int closes = 0;
    m.faultHook = [&closes](sim::Op op, const std::string&) -> DWORD {
      if (op == sim::Op::RegCloseKey) ++closes;
      return 0;
    };

    CRemoverDlg finder;
    EXPECT_EQ(sim::StoredName(finder.FindInstallPath().Text()), c.expected);
    EXPECT_EQ(std::string(finder.m_unreachedFolder), c.unreached);

    // The key is closed exactly when it was opened; nothing is changed.
    EXPECT_EQ(closes, c.registry == Registry::NoKey ? 0 : 1);
    EXPECT_EQ(m.OpenKeys(), 0);
    EXPECT_EQ(m.OpenFindHandles(), 0);
    EXPECT_EQ(m.ValueExists(kProductKey, "InstallPath"), c.registry == Registry::Value);
    for (const std::string& folder : c.folders) EXPECT_TRUE(m.Exists(folder)) << folder;
  }
}

}  // namespace
