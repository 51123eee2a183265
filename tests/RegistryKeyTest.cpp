#include <string>
#include <vector>

#include "SimFixture.h"
#include "removal/registry/RegistryKey.h"

namespace {

const char kParent[] = "HKLM\\SOFTWARE\\Parent";

class RegistryKeyTest : public SimTest {
 protected:
  // The name of the held key's first sub-key: tells which key is held.
  static std::string FirstSubKey(HKEY key) {
    char name[256] = "";
    DWORD length = sizeof name;
    FILETIME lastWrite;
    RegEnumKeyExA(key, 0, name, &length, NULL, NULL, NULL, &lastWrite);
    return name;
  }
};

TEST_F(RegistryKeyTest, FailedOpenKeepsTheKeyHeldBefore) {
  sim::Machine& m = sim::machine();
  m.AddKey("HKLM\\SOFTWARE\\A\\underA");
  m.AddKey("HKLM\\SOFTWARE\\B\\underB");
  m.AddKey("HKLM\\SOFTWARE\\Denied");
  m.DenyKey("HKLM\\SOFTWARE\\Denied");
  CRegistryKey key;
  ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", KEY_READ), ERROR_SUCCESS);
  const HKEY first = key.m_key;

  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Denied", KEY_READ), ERROR_ACCESS_DENIED);
  EXPECT_EQ(key.m_key, first);
  EXPECT_EQ(FirstSubKey(key.m_key), "underA");

  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\B", KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(FirstSubKey(key.m_key), "underB");
  EXPECT_EQ(m.OpenKeys(), 1);
}

TEST_F(RegistryKeyTest, OpenReportsAFailedCloseAndHoldsTheNewKeyAllTheSame) {
  sim::Machine& m = sim::machine();
  m.AddKey("HKLM\\SOFTWARE\\A\\underA");
  m.AddKey("HKLM\\SOFTWARE\\B\\underB");
  CRegistryKey key;
  ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", KEY_READ), ERROR_SUCCESS);
  m.Fail(sim::Op::RegCloseKey, "HKLM\\SOFTWARE\\A", ERROR_INVALID_HANDLE, 1);

  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\B", KEY_READ), ERROR_INVALID_HANDLE);

  EXPECT_EQ(FirstSubKey(key.m_key), "underB");
}

TEST_F(RegistryKeyTest, KeyIsClosedWithItsHolder) {
  sim::machine().AddKey("HKLM\\SOFTWARE\\A");
  {
    CRegistryKey key;
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\A", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(sim::machine().OpenKeys(), 1);
  }
  EXPECT_EQ(sim::machine().OpenKeys(), 0);
}

TEST_F(RegistryKeyTest, TreeThreeLevelsDeepGoesDeepestFirst) {
  sim::Machine& m = sim::machine();
  const std::string tree = kParent + std::string("\\Tree");
  m.AddKey(tree + "\\L1a\\L2\\L3");
  m.SetValue(tree + "\\L1a\\L2", "value", "data");
  m.AddKey(tree + "\\L1b");
  m.AddKey(kParent + std::string("\\Keep\\Below"));
  m.AddKey(kParent + std::string("\\TreeHouse"));
  // A pupil's link in the tree (they may change L1b): it goes, what it leads to stays.
  m.AddKeyLink(tree + "\\L1b\\Link", kParent + std::string("\\Keep"));
  CRegistryKey key;
  CStringArray links;
  ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Parent", KEY_ALL_ACCESS), ERROR_SUCCESS);

  EXPECT_EQ(key.DeleteKeyTree("Tree", links), ERROR_SUCCESS);

  std::vector<std::string> deleted;
  for (const std::string& event : m.events)
    if (event.rfind("RegDeleteKey ", 0) == 0) deleted.push_back(event.substr(13));
  EXPECT_EQ(deleted,
            (std::vector<std::string>{tree + "\\L1a\\L2\\L3", tree + "\\L1a\\L2", tree + "\\L1a",
                                      tree + "\\L1b\\Link", tree + "\\L1b", tree}));
  EXPECT_EQ(m.SubKeys(kParent), (std::vector<std::string>{"Keep", "TreeHouse"}));
  EXPECT_TRUE(m.KeyExists(kParent + std::string("\\Keep\\Below")));
  ASSERT_EQ(links.GetSize(), 1);
  EXPECT_EQ(std::string(links[0]), "Tree\\L1b\\Link");
  EXPECT_EQ(m.OpenKeys(), 1);
  EXPECT_EQ(key.DeleteKeyTree("Tree", links), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeyTest, SubKeyThatCannotBeOpenedStopsTheTreeDelete) {
  sim::Machine& m = sim::machine();
  const std::string tree = kParent + std::string("\\Tree");
  m.AddKey(tree + "\\A\\underA");
  m.AddKey(tree + "\\B\\underB");
  m.AddKey(tree + "\\C");
  m.DenyKey(tree + "\\B");
  CRegistryKey key;
  CStringArray links;
  ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Parent", KEY_ALL_ACCESS), ERROR_SUCCESS);

  EXPECT_EQ(key.DeleteKeyTree("Tree", links), ERROR_ACCESS_DENIED);

  EXPECT_EQ(m.SubKeys(tree), (std::vector<std::string>{"B", "C"}));
  EXPECT_TRUE(m.KeyExists(tree + "\\B\\underB"));
  EXPECT_EQ(m.OpenKeys(), 1);
}

}  // namespace
