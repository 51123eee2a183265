#include "SimFixture.h"
#include "removal/WidePath.h"

namespace {

class WidePathTest : public SimTest {};

std::string Narrow(const CWidePath& path) { return std::string(path.Utf8()); }

TEST_F(WidePathTest, ExtendGivesTheFormTheWideCallsTakeAndUnextendedGivesItBack) {
  // clang-format off
  const struct {
    const char* path;
    const char* extended;
    const char* unextended;
    const char* name;
  } cases[] = {
      {"C:\\a\\b", "\\\\?\\C:\\a\\b", "C:\\a\\b", "b"},
      {"b", "\\\\?\\C:\\cwd\\b", "C:\\cwd\\b", "b"},
      {"\\\\server\\share\\a\\b", "\\\\?\\UNC\\server\\share\\a\\b", "\\\\server\\share\\a\\b", "b"},
      {"\\\\?\\UNC\\server\\share\\a", "\\\\?\\UNC\\server\\share\\a", "\\\\server\\share\\a", "a"},
      {"\\\\?\\C:\\a", "\\\\?\\C:\\a", "C:\\a", "a"},
  };
  // clang-format on
  machine().AddFolder("C:\\cwd");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\cwd"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    CWidePath path(c.path);
    EXPECT_EQ(Narrow(path.Name()), c.name);

    ASSERT_TRUE(path.Extend());

    EXPECT_EQ(Narrow(path), c.extended);
    EXPECT_EQ(Narrow(path.Unextended()), c.unextended);
  }
}

}  // namespace
