#include <functional>
#include <map>
#include <string>

#include "RemovalFixture.h"
#include "removal/held/HeldEntry.h"

namespace {

using Files = std::map<std::string, std::string>;

class CopyTreeTest : public RemovalTest {
 protected:
  // Into C:\dst, held as the save folder is.
  bool CopyInto(const char* source) {
    CHeldEntry destination;
    destination.Open(CWidePath("\\\\?\\C:\\dst"), FILE_LIST_DIRECTORY | FILE_ADD_FILE |
                                                      FILE_ADD_SUBDIRECTORY | FILE_READ_ATTRIBUTES);
    return dialog->CopyTree(source, destination, "C:\\dst");
  }
};

TEST_F(CopyTreeTest, CopiesEveryEntryIncludingNamesThatBeginWithADot) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\src\\a.txt", "a");
  m.AddFile("C:\\src\\.settings", "dot file");
  m.AddFile("C:\\src\\.hidden\\x.txt", "in a dot folder");
  m.AddFile("C:\\src\\sub\\deep\\b.txt", "b", FILE_ATTRIBUTE_READONLY);
  m.AddFolder("C:\\src\\empty");
  m.AddFolder("C:\\dst");
  const Files source = m.Tree("C:\\src");
  OpenDialog();

  EXPECT_TRUE(CopyInto("C:\\src"));

  EXPECT_EQ(m.Tree("C:\\dst"), source);
  EXPECT_TRUE(m.IsFolder("C:\\dst\\empty"));
  EXPECT_EQ(m.Attributes("C:\\dst\\sub\\deep\\b.txt"), DWORD(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(m.Tree("C:\\src"), source);
  EXPECT_EQ(m.OpenFileHandles(), 0);
}

struct Case {
  const char* what;
  const char* source;
  std::function<void(sim::Machine&)> arrange;
  bool result;
  Files copied;  // what C:\dst holds afterwards
};

TEST_F(CopyTreeTest, FailsWheneverSomethingWasNotCopied) {
  using sim::Op;
  const Case cases[] = {
      {"whole tree", "C:\\src", nullptr, true, {{"a.txt", "a"}, {"sub\\b.txt", "b"}}},
      {"source missing", "C:\\missing", nullptr, false, {}},
      {"source cannot be entered",
       "C:\\src",
       [](sim::Machine& m) { m.Fail(Op::CreateFile, "C:\\src", ERROR_ACCESS_DENIED); },
       false,
       {}},
      {"source empty", "C:\\empty", nullptr, true, {}},
      {"a file of that name there already: not saved",
       "C:\\src",
       [](sim::Machine& m) { m.AddFile("C:\\dst\\A.TXT", "another pupil's"); },
       false,
       {{"A.TXT", "another pupil's"}, {"sub\\b.txt", "b"}}},
      {"file not copied",
       "C:\\src",
       [](sim::Machine& m) { m.Fail(Op::ReadFile, "C:\\src\\a.txt", ERROR_DISK_FULL); },
       false,
       {{"a.txt", ""}, {"sub\\b.txt", "b"}}},
      {"file in a sub-folder not copied",
       "C:\\src",
       [](sim::Machine& m) { m.Fail(Op::CreateFile, "C:\\dst\\sub\\b.txt", ERROR_ACCESS_DENIED); },
       false,
       {{"a.txt", "a"}}},
      {"sub-folder not created",
       "C:\\src",
       [](sim::Machine& m) { m.Fail(Op::CreateDirectory, "C:\\dst\\sub", ERROR_ACCESS_DENIED); },
       false,
       {{"a.txt", "a"}}},
      {"sub-folder not entered",
       "C:\\src",
       [](sim::Machine& m) { m.Fail(Op::CreateFile, "C:\\src\\sub", ERROR_ACCESS_DENIED); },
       false,
       {{"a.txt", "a"}}},
      {"listing breaks off",
       "C:\\src",
       [](sim::Machine& m) { m.Fail(Op::FindNextFile, "C:\\src", ERROR_NOT_ENOUGH_MEMORY); },
       false,
       {}},
      {"junction to a folder outside",
       "C:\\src",
       [](sim::Machine& m) {
         m.AddFile("C:\\Outside\\secret.txt", "not the product's");
         m.AddJunction("C:\\src\\link", "C:\\Outside");
       },
       true,
       {{"a.txt", "a"}, {"sub\\b.txt", "b"}}},
      // clang-format off
      {"folders nested deeper than any walk goes", "C:\\src", [](sim::Machine& m) { std::string deep = "C:\\src\\nest"; for (int i = 0; i < 300; ++i) deep += "\\n"; m.AddFile(deep + "\\x.txt", "x"); }, false, {{"a.txt", "a"}, {"sub\\b.txt", "b"}}},
      {"a pupil makes an empty folder a mount point as the copy opens it", "C:\\src", [](sim::Machine& m) { m.AddFile("C:\\Outside\\secret.txt", "not the product's"); m.AddFolder("C:\\src\\empty"); m.LetChange("C:\\src\\empty", "pupil"); m.faultHook = [&m](Op op, const std::string& target) -> DWORD { if (op == Op::CreateFile && target == "C:\\src\\empty") m.MakeMountPoint("pupil", target, "C:\\Outside"); return 0; }; }, false, {{"a.txt", "a"}, {"sub\\b.txt", "b"}}},
      {"a pupil swaps the destination for a junction as the copy opens it", "C:\\src", [](sim::Machine& m) { m.AddFile("C:\\Outside\\secret.txt", "not the product's"); m.LetChange("C:\\dst", "pupil"); m.faultHook = [&m](Op op, const std::string& target) -> DWORD { if (op == Op::CreateFile && target == "C:\\dst" && !m.IsFolder("C:\\dst (moved)")) m.PlantLink("pupil", target, "C:\\Outside"); return 0; }; }, false, {{"secret.txt", "not the product's"}}},
      // clang-format on
      // Deduplicated, cloud (OneDrive) and HSM entries hold the pupils' data.
      {"reparse points that are no links",
       "C:\\src",
       [](sim::Machine& m) {
         m.AddFile("C:\\src\\cloud\\c.txt", "c");
         m.AddReparsePoint("C:\\src\\a.txt", 0x80000013);
         m.AddReparsePoint("C:\\src\\cloud", 0x9000001A);
         m.AddReparsePoint("C:\\src\\cloud\\c.txt", 0xC0000004);
       },
       true,
       {{"a.txt", "a"}, {"sub\\b.txt", "b"}, {"cloud\\c.txt", "c"}}},
      {"junction whose kind the system does not tell",
       "C:\\src",
       [](sim::Machine& m) {
         m.AddFile("C:\\Outside\\secret.txt", "not the product's");
         m.AddJunction("C:\\src\\link", "C:\\Outside");
         m.LinksAsWine8();
       },
       true,
       {{"a.txt", "a"}, {"sub\\b.txt", "b"}}},
      {"names the code page cannot spell, under their real names",
       "C:\\src",
       [](sim::Machine& m) {
         m.AddFile("C:\\src\\Ωmega.txt", "omega");
         m.AddFile("C:\\src\\学生\\作业.txt", "homework");
       },
       true,
       {{"a.txt", "a"},
        {"sub\\b.txt", "b"},
        {"Ωmega.txt", "omega"},
        {"学生\\作业.txt", "homework"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\src\\a.txt", "a");
    m.AddFile("C:\\src\\sub\\b.txt", "b");
    m.AddFolder("C:\\empty");
    m.AddFolder("C:\\dst");
    if (c.arrange) c.arrange(m);
    OpenDialog();

    EXPECT_EQ(CopyInto(c.source), c.result);

    EXPECT_EQ(m.Tree("C:\\dst"), c.copied);
    EXPECT_FALSE(m.Exists("C:\\dst\\link"));
    EXPECT_EQ(m.ReadFile("C:\\src\\a.txt"), "a");
    EXPECT_EQ(m.ReadFile("C:\\src\\sub\\b.txt"), "b");
    if (m.Exists("C:\\Outside")) {
      EXPECT_EQ(m.Tree("C:\\Outside"), (Files{{"secret.txt", "not the product's"}}));
    }
    EXPECT_EQ(m.OpenFindHandles(), 0);
  }
}

TEST_F(CopyTreeTest, IntoAMissingDestinationFails) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\src\\a.txt", "a");
  OpenDialog();

  EXPECT_FALSE(CopyInto("C:\\src"));

  EXPECT_FALSE(m.Exists("C:\\nowhere"));
  EXPECT_EQ(m.ReadFile("C:\\src\\a.txt"), "a");
}

}  // namespace
