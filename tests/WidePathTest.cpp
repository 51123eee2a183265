#include "SimFixture.h"
#include "removal/WidePath.h"

namespace {

class WidePathTest : public SimTest {};

std::string Narrow(const CWidePath& path) { return std::string(path.Utf8()); }

TEST_F(WidePathTest, ExtendGivesTheFormTheWideCallsTakeAndUnextendedGivesItBack) {
  const struct {
    const char* path;
    const char* extended;
    const char* unextended;
  } cases[] = {
      {"C:\\a\\b", "\\\\?\\C:\\a\\b", "C:\\a\\b"},
      {"b", "\\\\?\\C:\\cwd\\b", "C:\\cwd\\b"},
      {"\\\\server\\share\\a\\b", "\\\\?\\UNC\\server\\share\\a\\b", "\\\\server\\share\\a\\b"},
      {"\\\\?\\UNC\\server\\share\\a", "\\\\?\\UNC\\server\\share\\a", "\\\\server\\share\\a"},
      {"\\\\?\\C:\\a", "\\\\?\\C:\\a", "C:\\a"},
  };
  machine().AddFolder("C:\\cwd");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\cwd"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    CWidePath path(c.path);

    ASSERT_TRUE(path.Extend());

    EXPECT_EQ(Narrow(path), c.extended);
    EXPECT_EQ(Narrow(path.Unextended()), c.unextended);
  }
}

}  // namespace
