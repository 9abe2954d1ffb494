// The shell folder lookup on the host's in-memory registry: names compared
// ignoring ASCII case only, the 128-byte buffers, and no key left open.
#include <string>

#include <gtest/gtest.h>

#include "platform/HostPlatform.h"
#include "shell/ShellFolder.h"

namespace {

const std::string kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Text(const std::string& s) { return s + '\0'; }

TEST(ShellFolderTest, LookupsFollowTheNameAndBufferRules) {
  const std::string n127(127, 'n'), n128(128, 'n');
  const std::string path127 = "C:\\" + std::string(124, 'p'), path128 = path127 + "p";
  // Each case adds subkey first (when given), then a value name = data under
  // key, after one whose 128-character name does not fit and is skipped.
  const struct {
    const char* what;
    std::string subkey, key, name, data;
    const char* lookup;
    std::string expected;  // "" for none
  } cases[] = {
      {"other ASCII case", "", "SOFTWARE\\microsoft\\WINDOWS\\currentVersion\\EXPLORER\\shell folders",
       "START MENU", Text("C:\\Start"), "Start Menu", "C:\\Start"},
      {"non-ASCII letters unfolded", "", kShellFolders, "Caf\xC9", Text("C:\\Cafe"), "caf\xE9", ""},
      {"non-ASCII letters equal", "", kShellFolders, "Caf\xC9", Text("C:\\Cafe"), "CAF\xC9", "C:\\Cafe"},
      {"127-character subkey before the component", "Software\\" + n127, kShellFolders,
       "Desktop", Text("C:\\Desk"), "Desktop", "C:\\Desk"},
      {"128-character subkey ends the level", "Software\\" + n128, kShellFolders,
       "Desktop", Text("C:\\Desk"), "Desktop", ""},
      {"127-character path whole", "", kShellFolders, "Desktop", Text(path127), "Desktop", path127},
      {"128-character path none", "", kShellFolders, "Desktop", Text(path128), "Desktop", ""},
      {"128 bytes without terminator none", "", kShellFolders, "Desktop", path128, "Desktop", ""},
      {"short data without terminator", "", kShellFolders, "Desktop", "C:\\Desk", "Desktop", "C:\\Desk"},
      {"component missing", "", "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Folders",
       "Desktop", Text("C:\\Desk"), "Desktop", ""},
      {"key without values", kShellFolders, "", "", "", "Desktop", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HostPlatform platform;
    HostRegistry& registry = platform.Registry();
    if (!c.subkey.empty()) registry.AddKey(c.subkey.c_str());
    if (!c.key.empty()) {
      registry.SetText(c.key.c_str(), n128.c_str(), "C:\\Wrong");
      registry.SetBytes(c.key.c_str(), c.name.c_str(), c.data);
    }
    const char* found = LookupShellFolder(platform, c.lookup);
    EXPECT_EQ(c.expected.empty() ? "<none>" : c.expected, found ? found : "<none>");
    EXPECT_EQ(0, registry.OpenKeys());
    EXPECT_EQ(0, registry.BadCloses());
  }
  // A folder missing after one found is none, not the earlier path; so is
  // one whose key refuses to open.
  HostPlatform platform;
  HostRegistry& registry = platform.Registry();
  registry.SetText(kShellFolders.c_str(), "Start Menu", "C:\\Start");
  EXPECT_STREQ("C:\\Start", LookupShellFolder(platform, "Start Menu"));
  EXPECT_EQ(nullptr, LookupShellFolder(platform, "Desktop"));
  registry.RefuseOpen(kShellFolders.c_str());
  EXPECT_EQ(nullptr, LookupShellFolder(platform, "Start Menu"));
  EXPECT_EQ(0, registry.OpenKeys());
  EXPECT_EQ(0, registry.BadCloses());
}

}  // namespace
