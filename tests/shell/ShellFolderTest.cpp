// The shell folder lookup at the edges of its 128-byte buffers: on the host's
// in-memory registry, and under Wine on the real one through the Win32 calls.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/ShellFolder.h"
#include "tests/shell/ShellTestKit.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string Text(const std::string& s) { return s + '\0'; }

#ifdef _WIN32
// The real registry below HKEY_CURRENT_USER for one case: the Shell Folders
// values are moved aside for it and put back after it, and the keys it
// makes are removed.
class CaseRegistry {
 public:
  CaseRegistry() : folders_(Open(kShellFoldersKey)), saved_(Open(kSaved)) {
    RegCopyTreeA(folders_, nullptr, saved_);
    RegDeleteTreeA(folders_, nullptr);
  }
  ~CaseRegistry() {
    for (auto made = made_.rbegin(); made != made_.rend(); ++made)
      RegDeleteKeyA(HKEY_CURRENT_USER, made->c_str());
    RegDeleteTreeA(folders_, nullptr);
    RegCopyTreeA(saved_, nullptr, folders_);
    RegCloseKey(folders_);
    RegCloseKey(saved_);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSaved);
  }
  void AddKey(const std::string& path) { RegCloseKey(Open(path.c_str(), &made_)); }
  // A string value of exactly these bytes, terminated or not.
  void SetBytes(const std::string& path, const std::string& name, const std::string& data) {
    HKEY key = Open(path.c_str(), &made_);
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(data.data()),
                                            static_cast<DWORD>(data.size())));
    RegCloseKey(key);
  }
  Platform& platform() { return platform_; }

 private:
  static constexpr const char* kSaved = "Software\\Tesmo shell folders test";
  // Opens the key, making it when missing; a key made is noted in |made|.
  static HKEY Open(const char* path, std::vector<std::string>* made = nullptr) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, &disposition));
    if (made && disposition == REG_CREATED_NEW_KEY) made->push_back(path);
    return key;
  }

  Win32Platform platform_;
  HKEY folders_, saved_;
  std::vector<std::string> made_;
};
#else
// The host's in-memory registry, empty for each case; no key stays open.
class CaseRegistry {
 public:
  ~CaseRegistry() {
    EXPECT_EQ(0, registry().OpenKeys());
    EXPECT_EQ(0, registry().BadCloses());
  }
  void AddKey(const std::string& path) { registry().AddKey(path.c_str()); }
  void SetBytes(const std::string& path, const std::string& name, const std::string& data) {
    registry().SetBytes(path.c_str(), name.c_str(), data);
  }
  Platform& platform() { return platform_; }
  HostRegistry& registry() { return platform_.Registry(); }

 private:
  HostPlatform platform_;
};
#endif

// Names of 127 and 128 characters sort first, among subkeys and values
// alike, so each is met before the name looked for.
TEST(ShellFolderTest, LookupsFollowTheNameAndBufferRules) {
  const std::string a127(127, 'A'), a128(128, 'A');
  const std::string path127 = "C:\\" + std::string(124, 'p'), path128 = path127 + "p";
  // Each case adds subkey first (when given), then under key a value whose
  // 128-character name does not fit and is skipped, then name = data (none
  // when name is empty).
  const struct {
    const char* what;
    const char* lookup;
    std::string name, data, expected;  // expected "" for none
    std::string subkey = "", key = kShellFoldersKey;
  } cases[] = {
      {"other ASCII case", "Start Menu", "START MENU", Text("C:\\Start"), "C:\\Start", "",
       "SOFTWARE\\microsoft\\WINDOWS\\currentVersion\\EXPLORER\\shell folders"},
      {"non-ASCII letters unfolded", "caf\xE9", "Caf\xC9", Text("C:\\Cafe"), ""},
      {"non-ASCII letters equal", "CAF\xC9", "Caf\xC9", Text("C:\\Cafe"), "C:\\Cafe"},
      {"127-character subkey before the component", "Desktop", "Desktop", Text("C:\\Desk"),
       "C:\\Desk", "Software\\" + a127},
      {"128-character subkey ends the level", "Desktop", "Desktop", Text("C:\\Desk"), "",
       "Software\\" + a128},
      {"127-character path whole", "Desktop", "Desktop", Text(path127), path127},
      {"128-character path none", "Desktop", "Desktop", Text(path128), ""},
      {"128 bytes without terminator none", "Desktop", "Desktop", path128, ""},
      {"short data without terminator", "Desktop", "Desktop", "C:\\Desk", "C:\\Desk"},
      {"component missing", "Desktop", "Desktop", Text("C:\\Desk"), "", "",
       "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Folders"},
      {"key without values", "Desktop", "", "", "", kShellFoldersKey},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CaseRegistry registry;
    if (!c.subkey.empty()) registry.AddKey(c.subkey);
    if (!c.name.empty()) registry.SetBytes(c.key, a128, Text("C:\\Wrong"));
    if (!c.name.empty()) registry.SetBytes(c.key, c.name, c.data);
    const char* found = LookupShellFolder(registry.platform(), c.lookup);
    EXPECT_EQ(c.expected.empty() ? "<none>" : c.expected, found ? found : "<none>");
  }
  // A folder missing after one found is none, not the earlier path; so is
  // one whose key refuses to open.
  CaseRegistry registry;
  registry.SetBytes(kShellFoldersKey, "Start Menu", Text("C:\\Start"));
  EXPECT_STREQ("C:\\Start", LookupShellFolder(registry.platform(), "Start Menu"));
  EXPECT_EQ(nullptr, LookupShellFolder(registry.platform(), "Desktop"));
#ifndef _WIN32
  registry.registry().RefuseOpen(kShellFoldersKey);
  EXPECT_EQ(nullptr, LookupShellFolder(registry.platform(), "Start Menu"));
#endif
}

}  // namespace
