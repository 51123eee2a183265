// The simulated registry against the Windows rules the program depends on:
// key names, buffer sizes, enumeration order and the error of each refusal.
#include <cstring>
#include <string>
#include <vector>

#include "SimFixture.h"

namespace {

const char kProduct[] = "HKLM\\SOFTWARE\\Dravenhall\\Kelmora";

class SimRegistryTest : public SimTest {
 protected:
  HKEY Open(const char* subKey, REGSAM access = KEY_READ | KEY_WRITE) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, access, &key), ERROR_SUCCESS) << subKey;
    return key;
  }
};

TEST_F(SimRegistryTest, OpenRefusesAsWindowsDoes) {
  machine().AddKey(kProduct);
  machine().AddKey("HKLM\\SOFTWARE\\Locked");
  machine().DenyKey("HKLM\\SOFTWARE\\Locked");
  struct Case {
    const char* subKey;
    LONG result;
    const char* account = "user1";
  } cases[] = {
      {"software\\DRAVENHALL\\kelmora", ERROR_SUCCESS},
      {"SOFTWARE\\Dravenhall\\Kelmora\\", ERROR_SUCCESS},
      {"SOFTWARE\\Dravenhall\\Other", ERROR_FILE_NOT_FOUND},
      {"\\SOFTWARE\\Dravenhall", ERROR_BAD_PATHNAME},
      {"SOFTWARE\\Locked", ERROR_ACCESS_DENIED},
      {"SOFTWARE\\Locked", ERROR_SUCCESS, "SYSTEM"},
  };
  for (const Case& c : cases) {
    machine().SetUserName(c.account);
    HKEY key = reinterpret_cast<HKEY>(0x5EED);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.subKey, 0, KEY_READ, &key), c.result) << c.subKey;
    EXPECT_EQ(machine().OpenKeys(), c.result == ERROR_SUCCESS ? 1 : 0) << c.subKey;
    if (c.result == ERROR_SUCCESS) {
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
  }
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x5EED)), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(machine().KeyExists("HKLM\\SOFTWARE\\Locked"));
}

TEST_F(SimRegistryTest, QueryValueSizesFollowTheStoredBytes) {
  const char sentinel[] = "#########";
  struct Case {
    std::string stored;
    DWORD bufferSize;
    LONG result;
    DWORD sizeAfter;
    std::string read;  // the buffer's bytes afterwards, up to bufferSize
  } cases[] = {
      {std::string("abcdefgh\0", 9), 9, ERROR_SUCCESS, 9, std::string("abcdefgh\0", 9)},
      {"abcdefgh", 9, ERROR_SUCCESS, 9, std::string("abcdefgh\0", 9)},  // NUL added
      {"abcdefghi", 9, ERROR_MORE_DATA, 10, sentinel},                  // needs the NUL too
      {std::string("abcdefghi\0", 10), 9, ERROR_MORE_DATA, 10, sentinel},
  };
  for (const Case& c : cases) {
    machine().SetValue(kProduct, "InstallPath", c.stored);
    HKEY key = Open("SOFTWARE\\Dravenhall\\Kelmora", KEY_READ);
    char buffer[16];
    std::memcpy(buffer, sentinel, sizeof sentinel);
    DWORD size = c.bufferSize;
    EXPECT_EQ(RegQueryValueExA(key, "installpath", NULL, NULL, (LPBYTE)buffer, &size), c.result)
        << c.stored;
    EXPECT_EQ(size, c.sizeAfter) << c.stored;
    EXPECT_EQ(std::string(buffer, c.bufferSize), c.read) << c.stored;
    RegCloseKey(key);
  }
  HKEY key = Open("SOFTWARE\\Dravenhall\\Kelmora", KEY_READ);
  DWORD type = 0xBAD, size = 4;
  char small[4];
  EXPECT_EQ(RegQueryValueExA(key, "Missing", NULL, &type, (LPBYTE)small, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, 0xBADu);
  RegCloseKey(key);
}

TEST_F(SimRegistryTest, EnumerationIsSortedAndSizedInCharacters) {
  for (const char* name : {"beta", "Alpha", "GAMMA"})
    machine().AddKey(std::string(kProduct) + "\\" + name);
  HKEY key = Open("SOFTWARE\\Dravenhall\\Kelmora", KEY_READ);
  struct Case {
    DWORD index;
    DWORD size;
    LONG result;
    std::string name;
    DWORD sizeAfter;
  } cases[] = {
      {0, 6, ERROR_SUCCESS, "Alpha", 5},          {1, 5, ERROR_SUCCESS, "beta", 4},
      {2, 5, ERROR_MORE_DATA, "sentinel", 5},     {2, 6, ERROR_SUCCESS, "GAMMA", 5},
      {3, 6, ERROR_NO_MORE_ITEMS, "sentinel", 6},
  };
  for (const Case& c : cases) {
    char name[16] = "sentinel";
    DWORD size = c.size;
    EXPECT_EQ(RegEnumKeyExA(key, c.index, name, &size, NULL, NULL, NULL, NULL), c.result)
        << c.index;
    EXPECT_EQ(std::string(name), c.name) << c.index;
    EXPECT_EQ(size, c.sizeAfter) << c.index;
  }
  RegCloseKey(key);
}

TEST_F(SimRegistryTest, DeletionsRefuseAsWindowsDoesAndSpareTheRest) {
  const std::string product = kProduct;
  machine().SetValue(product + "\\Leaf", "v", "1");
  machine().AddKey(product + "\\Branch\\Twig");
  machine().AddKey(product + "\\Guarded");
  machine().DenyKey(product + "\\Guarded");
  machine().SetValue(product, "InstallPath", "C:\\K");
  machine().SetValue(product, "Other", "stays");
  HKEY key = Open("SOFTWARE\\Dravenhall\\Kelmora");

  struct Case {
    const char* subKey;
    LONG result;
  } cases[] = {
      {"Branch", ERROR_ACCESS_DENIED},
      {"Guarded", ERROR_ACCESS_DENIED},
      {"None", ERROR_FILE_NOT_FOUND},
      {"leaf", ERROR_SUCCESS},
  };
  for (const Case& c : cases) EXPECT_EQ(RegDeleteKeyA(key, c.subKey), c.result) << c.subKey;
  EXPECT_EQ(machine().SubKeys(product), (std::vector<std::string>{"Branch", "Guarded"}));
  EXPECT_EQ(machine().SubKeys(product + "\\Branch"), std::vector<std::string>{"Twig"});

  EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "installpath"), ERROR_SUCCESS);
  EXPECT_EQ(machine().ValueNames(product), std::vector<std::string>{"Other"});

  // A key deleted under an open handle: the handle still closes, nothing else works.
  HKEY twig = Open("SOFTWARE\\Dravenhall\\Kelmora\\Branch\\Twig");
  EXPECT_EQ(RegDeleteKeyA(key, "Branch\\Twig"), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(twig, "v", NULL, NULL, NULL, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueA(twig, "v"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(twig), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(machine().OpenKeys(), 0);
  EXPECT_TRUE(machine().KeyExists(product + "\\Branch"));
}

// Registry links as Wine's dlls/ntdll/tests/reg.c (test_symlinks) shows
// Windows has them, and who may change a key, judged as files are.
TEST_F(SimRegistryTest, LinksLeadToTheirTargetUnlessOpenedAsThemselves) {
  const std::string product = kProduct;
  machine().SetValue("HKLM\\SOFTWARE\\Teacher", "marks", "A");
  machine().AddKeyLink(product + "\\Link", "HKLM\\SOFTWARE\\Teacher");
  machine().AddKeyLink(product + "\\Dangling", "HKLM\\SOFTWARE\\Gone");
  machine().GrantKey(product, "S-1-5-32-545", KEY_ALL_ACCESS);
  HKEY key = nullptr;
  DWORD type = 0, size = 0;
  // clang-format off
  const struct { const char* subKey; DWORD options; LONG result; const char* value; } cases[] = {
      {"SOFTWARE\\Dravenhall\\Kelmora\\Link", 0, ERROR_SUCCESS, "marks"},
      {"SOFTWARE\\Dravenhall\\Kelmora\\Link", REG_OPTION_OPEN_LINK, ERROR_SUCCESS, "SymbolicLinkValue"},
      {"SOFTWARE\\Dravenhall\\Kelmora\\Dangling", 0, ERROR_FILE_NOT_FOUND, nullptr},
      {"SOFTWARE\\Dravenhall\\Kelmora\\Dangling", REG_OPTION_OPEN_LINK, ERROR_SUCCESS, "SymbolicLinkValue"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subKey);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.subKey, c.options, KEY_ALL_ACCESS, &key),
              c.result);
    if (c.result != ERROR_SUCCESS) continue;
    EXPECT_EQ(RegQueryValueExA(key, c.value, NULL, &type, NULL, &size), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  }
  // NtDeleteKey of the link opened as itself takes the link alone.
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Dravenhall\\Kelmora\\Link",
                          REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(NtDeleteKey(key), 0);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_FALSE(machine().KeyExists(product + "\\Link"));
  EXPECT_TRUE(machine().ValueExists("HKLM\\SOFTWARE\\Teacher", "marks"));
  // Users' full control passes to the keys below; a pupil may plant a link there.
  EXPECT_TRUE(machine().MayChangeKey("pupil", product + "\\Dangling"));
  EXPECT_FALSE(machine().MayChangeKey("pupil", "HKLM\\SOFTWARE\\Teacher"));
  EXPECT_FALSE(machine().PlantKeyLink("pupil", "HKLM\\SOFTWARE\\Teacher\\Sub", product));
  EXPECT_TRUE(machine().PlantKeyLink("pupil", product + "\\Settings", "HKLM\\SOFTWARE\\Teacher"));
  // RegDeleteKey opens the name as any other: through the link, the target goes.
  HKEY parent = Open("SOFTWARE\\Dravenhall\\Kelmora", KEY_ALL_ACCESS);
  EXPECT_EQ(RegDeleteKeyA(parent, "Settings"), ERROR_SUCCESS);
  EXPECT_FALSE(machine().KeyExists("HKLM\\SOFTWARE\\Teacher"));
  EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
}

}  // namespace
