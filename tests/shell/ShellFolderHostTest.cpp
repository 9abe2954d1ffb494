// The shell folder lookup on the host's in-memory registry: names compared
// ignoring ASCII case only, the 128-byte buffers, and no key left open.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/HostPlatform.h"
#include "shell/ShellFolder.h"

namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

TEST(ShellFolderTest, LookupsFollowTheNameAndBufferRules) {
  const std::string name127(127, 'n'), name128(128, 'n');
  const std::string path127 = "C:\\" + std::string(124, 'p');
  const std::string path128 = path127 + "p";
  const struct {
    const char* what;
    std::function<void(HostRegistry&)> fill;
    const char* lookup;
    std::string expected;  // "" for none
  } cases[] = {
      {"as stored", [](HostRegistry& r) { r.SetText(kShellFolders, "Start Menu", "C:\\Start"); },
       "Start Menu", "C:\\Start"},
      {"other ASCII case",
       [](HostRegistry& r) {
         r.SetText("SOFTWARE\\microsoft\\WINDOWS\\currentVersion\\EXPLORER\\shell folders",
                   "START MENU", "C:\\Start");
       },
       "Start Menu", "C:\\Start"},
      {"non-ASCII letters unfolded",
       [](HostRegistry& r) { r.SetText(kShellFolders, "Caf\xC9", "C:\\Cafe"); },
       "caf\xE9", ""},
      {"non-ASCII letters equal",
       [](HostRegistry& r) { r.SetText(kShellFolders, "Caf\xC9", "C:\\Cafe"); },
       "CAF\xC9", "C:\\Cafe"},
      {"127-character subkey before the component",
       [&](HostRegistry& r) {
         r.AddKey(("Software\\" + name127).c_str());
         r.SetText(kShellFolders, "Desktop", "C:\\Desk");
       },
       "Desktop", "C:\\Desk"},
      {"128-character subkey ends the level",
       [&](HostRegistry& r) {
         r.AddKey(("Software\\" + name128).c_str());
         r.SetText(kShellFolders, "Desktop", "C:\\Desk");
       },
       "Desktop", ""},
      {"128-character value name skipped",
       [&](HostRegistry& r) {
         r.SetText(kShellFolders, name128.c_str(), "C:\\Wrong");
         r.SetText(kShellFolders, "Desktop", "C:\\Desk");
       },
       "Desktop", "C:\\Desk"},
      {"127-character path whole",
       [&](HostRegistry& r) { r.SetText(kShellFolders, "Desktop", path127); },
       "Desktop", path127},
      {"128-character path none",
       [&](HostRegistry& r) { r.SetText(kShellFolders, "Desktop", path128); },
       "Desktop", ""},
      {"128 bytes without terminator none",
       [&](HostRegistry& r) { r.SetBytes(kShellFolders, "Desktop", path128); },
       "Desktop", ""},
      {"short data without terminator",
       [](HostRegistry& r) { r.SetBytes(kShellFolders, "Desktop", "C:\\Desk"); },
       "Desktop", "C:\\Desk"},
      {"component missing",
       [](HostRegistry& r) {
         r.SetText("Software\\Microsoft\\Windows\\CurrentVersion\\Shell Folders",
                   "Desktop", "C:\\Desk");
       },
       "Desktop", ""},
      {"key refused",
       [](HostRegistry& r) {
         r.SetText(kShellFolders, "Desktop", "C:\\Desk");
         r.RefuseOpen(kShellFolders);
       },
       "Desktop", ""},
      {"key without values", [](HostRegistry& r) { r.AddKey(kShellFolders); },
       "Desktop", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HostPlatform platform;
    c.fill(platform.Registry());
    const char* found = LookupShellFolder(platform, c.lookup);
    EXPECT_EQ(c.expected, found ? found : "");
    EXPECT_EQ(!c.expected.empty(), found != nullptr);
    EXPECT_EQ(0, platform.Registry().OpenKeys());
    EXPECT_EQ(0, platform.Registry().BadCloses());
  }
}

// A folder that is missing never yields the path of an earlier lookup.
TEST(ShellFolderTest, MissingValueAfterAFoundOneIsNone) {
  HostPlatform platform;
  platform.Registry().SetText(kShellFolders, "Start Menu", "C:\\Start");
  EXPECT_STREQ("C:\\Start", LookupShellFolder(platform, "Start Menu"));
  EXPECT_EQ(nullptr, LookupShellFolder(platform, "Desktop"));
  EXPECT_EQ(0, platform.Registry().OpenKeys());
}

}  // namespace
