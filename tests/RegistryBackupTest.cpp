// The registry backup of step 6: the exact text regedit would write, and the
// registry that text gives back when imported, equal to what step 6 deleted.
#include <functional>

#include "RegFileReader.h"
#include "RemovalFixture.h"
#include "app/RemovalLog.h"

using namespace removal_paths;

namespace {

const char kFile[] =
    "C:\\Documents and Settings\\user1\\Desktop\\Kelmora registry backup 2026-12-08 090507.reg";
const char kLicence[] = "HKLM\\SOFTWARE\\Dravenhall\\Kelmora\\Licence";
const std::string kEntry = std::string(kUninstall) + "\\" + kEntry1;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string data;
  for (int byte : bytes) data += static_cast<char>(byte);
  return data;
}

// The registry as the file names it, read through the API: the key `name`
// with every key below it, or with `only`, that value of it alone.
void Read(const CWidePath& path, const std::string& name, RegKeys& keys,
          const WCHAR* only = nullptr) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.Text(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  if (!only) keys[name];
  WCHAR text[300];
  BYTE data[300];
  DWORD length = 300, size = 300, type = 0;
  for (DWORD i = 0; RegEnumValueW(key, i, text, &length, NULL, &type, data, &size) == 0; ++i) {
    std::string bytes((char*)data, size);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
      bytes.clear();  // the file's UTF-16, whatever the width of WCHAR here
      for (DWORD unit = 0; unit < size / sizeof(WCHAR); ++unit)
        bytes += std::string{(char)((WCHAR*)data)[unit], (char)(((WCHAR*)data)[unit] >> 8)};
    }
    if (!only || CWidePath(text) == CWidePath(only))
      keys[name][(LPCSTR)CWidePath(text).Utf8()] = {type, bytes};
    length = size = 300;
  }
  FILETIME lastWrite;
  for (DWORD i = 0; !only && RegEnumKeyExW(key, i, text, &length, 0, 0, 0, &lastWrite) == 0; ++i) {
    Read(path + CWidePath(L"\\") + CWidePath(text), name + "\\" + (LPCSTR)CWidePath(text).Utf8(),
         keys);
    length = 300;
  }
  RegCloseKey(key);
}

// What step 6 deletes, named as the file names it.
RegKeys Deleted(bool windows64) {
  const std::string root = "HKEY_LOCAL_MACHINE\\";
  const std::string node = windows64 ? "WOW6432Node\\" : "";
  const std::string product = root + "Software\\" + node + "Dravenhall\\Kelmora";
  const CWidePath productKey("Software\\Dravenhall\\Kelmora");
  RegKeys keys, tree;
  Read(productKey, product, keys, L"InstallPath");
  Read(productKey, product, tree);
  for (const auto& key : tree)
    if (key.first != product) keys.insert(key);
  for (const char* entry : {kEntry1, kEntry2})
    Read(CWidePath((std::string(kUninstall + 5) + "\\" + entry).c_str()),
         root + "SOFTWARE\\" + node + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + entry,
         keys);
  return keys;
}

struct Case {
  const char* what;
  std::function<void(sim::Machine&)> arrange;
  const char* text;  // after the header; "\n" for CRLF; nullptr: no file
  bool windows64;
  const char* kept = nullptr;    // the one entry reported as staying
  const char* logged = nullptr;  // a text of the log
};

class RegistryBackupTest : public RemovalTest {};

TEST_F(RegistryBackupTest, WritesWhatStepSixDeletesAsRegeditReadsIt) {
  std::string blob;
  for (int i = 0; i < 64; ++i) blob += static_cast<char>(i);
  // clang-format off
  const Case cases[] = {
      {"nothing there", [](sim::Machine&) {}, nullptr, false},
      {"the install path alone of the product key's values", [](sim::Machine& m) { m.SetValue(kProductKey, "InstallPath", "C:\\K"); m.SetValue(kProductKey, "Version", "2"); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora]\n\"InstallPath\"=\"C:\\\\K\"\n\n", false},
      {"every type", [](sim::Machine& m) { m.SetValue(kLicence, "", "Site"); m.SetValue(kLicence, "Seats", Bytes({0x1e, 0, 0, 0}), REG_DWORD); m.SetValue(kLicence, "Key", Bytes({1, 0xff}), REG_BINARY); m.SetValue(kLicence, "Path", "%P%", 2); m.SetValue(kLicence, "Mods", Bytes({'a', 0, 'b', 0, 0}), REG_MULTI_SZ); m.SetValue(kLicence, "Big", Bytes({1, 2, 3, 4, 5, 6, 7, 8}), 11); m.SetValue(kLicence, "None", "", 0); m.SetValue(kLicence, "Odd", Bytes({5}), 0x20000); m.SetValue(kLicence, "Short", Bytes({1, 2}), REG_DWORD); m.SetValue(kLicence, "Lines", "a\r\nb"); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Licence]\n@=\"Site\"\n\"Big\"=hex(b):01,02,03,04,05,06,07,08\n\"Key\"=hex:01,ff\n\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\n\"Mods\"=hex(7):61,00,00,00,62,00,00,00,00,00\n\"None\"=hex(0):\n\"Odd\"=hex(20000):05\n\"Path\"=hex(2):25,00,50,00,25,00,00,00\n\"Seats\"=dword:0000001e\n\"Short\"=hex(4):01,02\n\n", false},
      {"long data wrapped", [&blob](sim::Machine& m) { m.SetValue(kLicence, "Blob", blob, REG_BINARY); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Licence]\n\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\n  2f,30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f\n\n", false},
      {"names to escape, and in any language", [](sim::Machine& m) { m.SetValue(kLicence, "a\"b\\c=[d", "C:\\x \"y\""); m.SetValue(std::string(kProductKey) + "\\\u0141\xF3" "d\u017A", "\xCE\xA9mega", "\xE5\xAD\xA6"); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Licence]\n\"a\\\"b\\\\c=[d\"=\"C:\\\\x \\\"y\\\"\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\\xC5\x81\xC3\xB3\x64\xC5\xBA]\n\"\xCE\xA9mega\"=\"\xE5\xAD\xA6\"\n\n", false},
      {"deep tree, empty keys", [](sim::Machine& m) { m.AddKey(std::string(kProductKey) + "\\Empty"); m.SetValue(kEntry + "\\Sub\\Deeper", "", "x"); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Empty]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}\\Sub]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}\\Sub\\Deeper]\n@=\"x\"\n\n", false},
      {"the 32-bit view of 64-bit Windows", [](sim::Machine& m) { m.MakeWindows64(); m.SetValue(kProductKey, "InstallPath", "C:\\K"); m.SetValue(std::string(kUninstall) + "\\" + kEntry2, "DisplayName", "Vessik"); }, "[HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Dravenhall\\Kelmora]\n\"InstallPath\"=\"C:\\\\K\"\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}]\n\"DisplayName\"=\"Vessik\"\n\n", true},
      {"a key only SYSTEM may open, below the first uninstall entry", [](sim::Machine& m) { m.SetValue(kProductKey, "InstallPath", "C:\\K"); m.SetValue(kEntry, "DisplayName", "Kelmora"); m.SetValue(kEntry + "\\Secret\\Below", "", "s"); m.DenyKey(kEntry + "\\Secret"); m.AddKey(kEntry + "\\Sub"); m.AddKey(std::string(kUninstall) + "\\" + kEntry2); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora]\n\"InstallPath\"=\"C:\\\\K\"\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}]\n\"DisplayName\"=\"Kelmora\"\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}\\Sub]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}]\n\n", false, "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}", "Warning Not in the registry backup, as this account may not read it (nor delete it): HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}\\Secret"},
      {"a key only SYSTEM may open, below a product sub-key", [](sim::Machine& m) { m.SetValue(kLicence, "", "Site"); m.AddKey(std::string(kLicence) + "\\Secret"); m.DenyKey(std::string(kLicence) + "\\Secret"); }, "[HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Licence]\n@=\"Site\"\n\n", false, "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Licence", "HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Licence\\Secret"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    c.arrange(m);
    AddOtherPrograms();
    OpenDialog();
    const RegKeys before = Deleted(c.windows64);
    CRemovalLog log;
    log.Open("C:\\k.log");
    dialog->m_log = &log;
    CRegistryKey key;

    dialog->RemoveRegistryEntries(key, CWidePath(kUserDesktop));

    dialog->m_log = NULL;
    EXPECT_EQ(Failures(), c.kept ? std::vector<std::string>{c.kept} : std::vector<std::string>{});
    if (c.logged) {
      EXPECT_NE(m.ReadFile("C:\\k.log").find(c.logged), std::string::npos);
    }
    EXPECT_TRUE(MessageTexts().empty());
    ASSERT_EQ(m.Exists(kFile), c.text != nullptr);
    EXPECT_EQ(std::string(dialog->m_registryBackup), c.text ? kFile : "");
    if (!c.text) continue;
    std::string expected = "Windows Registry Editor Version 5.00\n\n" + std::string(c.text);
    for (size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += 2)
      expected.insert(at, "\r");
    const std::string text = Utf8FromUtf16(m.ReadFile(kFile));
    EXPECT_EQ(text, expected);
    // Imported, it gives back what step 6 deleted, value by value.
    EXPECT_EQ(ReadRegFile(text), before);
    ExpectOtherProgramsSurvive();
  }
}

}  // namespace
