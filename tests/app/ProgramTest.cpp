// The real Tesmo_setup.exe started as a user starts it, watched from
// outside: its windows, its exit code and what it leaves on the drive.
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/shell/ShellTestKit.h"
#include "tests/support/RegistryValues.h"

namespace fs = std::filesystem;

namespace {

std::string Text(HWND window, bool className = false) {
  char text[256] = "";
  className ? GetClassNameA(window, text, sizeof text) : GetWindowTextA(window, text, sizeof text);
  return text;
}

// The process's top-level windows as seen at one moment.
struct Windows {
  DWORD process = 0;
  HWND main = nullptr, prompt = nullptr, progress = nullptr;
  std::set<std::string> visible;  // "class: title" of every visible one

  void Look() {
    EnumWindows(
        [](HWND w, LPARAM self) CALLBACK -> BOOL {
          Windows& me = *reinterpret_cast<Windows*>(self);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner != me.process) return TRUE;
          const std::string cls = Text(w, true);
          if (cls == "Tesmo Setup") me.main = w;
          if (!IsWindowVisible(w)) return TRUE;
          me.visible.insert(cls + ": " + Text(w));
          if (cls == "#32770" && GetDlgItem(w, 101)) me.prompt = w;
          if (cls == "#32770" && GetDlgItem(w, 1033)) me.progress = w;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
  }
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(drive_.ok());
    // The program as built, or the one the environment's TESMO_PROGRAM
    // names (a signed copy, say): a host path that Wine reaches through Z:.
    const char* named = getenv("TESMO_PROGRAM");
    std::string built = std::string("Z:") + (named && *named ? named : TESMO_PROGRAM);
    std::replace(built.begin(), built.end(), '/', '\\');
    exe_ = test_.Path("Tesmo_setup.exe");
    ASSERT_TRUE(CopyFileA(built.c_str(), exe_.c_str(), FALSE)) << built;
  }
  void TearDown() override {
    if (process_.hProcess) Finish(0);
  }
  // Starts the program in its folder with the show command given and
  // watches its windows until the drive prompt shows; every other window
  // that was visible before is in the result's list.
  Windows StartUntilPrompt(WORD show) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    EXPECT_TRUE(CreateProcessA(exe_.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               test_.Root().c_str(), &startup, &process_));
    Windows seen;
    seen.process = process_.dwProcessId;
    for (int i = 0; i < 20000 && !seen.prompt; i++, Sleep(1)) seen.Look();
    if (seen.prompt) seen.visible.erase("#32770: " + Text(seen.prompt));
    return seen;
  }
  // The exit code, or -1 when the program has not ended in |ms| (it is
  // ended then).
  long Finish(DWORD ms) {
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process_.hProcess, &code);
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};
    return ended ? static_cast<long>(code) : -1;
  }
  std::vector<std::string> Listing(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
      names.push_back(fs::relative(e.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TestPlatform test_;
  TestDrive drive_{test_};
  std::string exe_;
  PROCESS_INFORMATION process_ = {};
};

// Whatever the show command, the first window shown is the drive prompt,
// owned by the hidden main window: the installation began only once the
// window existed as the main window. Cancel ends with 0 and nothing made.
TEST_F(ProgramTest, PromptIsTheFirstWindowAndCancelTouchesNothing) {
  const auto drive = Listing(drive_.Native("Quarn7"));
  for (WORD show : {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED,
                    SW_SHOWMINNOACTIVE, SW_SHOWDEFAULT}) {
    SCOPED_TRACE(testing::Message() << "show command " << show);
    Windows seen = StartUntilPrompt(show);
    ASSERT_TRUE(seen.prompt && seen.main);
    EXPECT_TRUE(seen.visible.empty()) << *seen.visible.begin();
    EXPECT_EQ(seen.main, GetWindow(seen.prompt, GW_OWNER));
    EXPECT_FALSE(IsWindowVisible(seen.main) || IsIconic(seen.prompt));
    EXPECT_EQ("Tesmo Tutorial Setup", Text(seen.main));
    PostMessageA(seen.prompt, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, Finish(10000));
    EXPECT_EQ(std::vector<std::string>{"Tesmo_setup.exe"}, Listing(test_.Root()));
    EXPECT_EQ(drive, Listing(drive_.Native("Quarn7")));
  }
}

// A whole installation on the test's drive, with the program's DLL search
// kept to System32: the dialogs, the version 6 common controls (bound by
// the manifest, so from the side-by-side store) and the shell's link
// object all work; it ends by itself with 0 and no box.
TEST_F(ProgramTest, InstallsEverythingUnderTheDllSearchRestriction) {
  RegistryValues registry;
  for (const char* folder : {"Start Menu\\Programs", "Desktop"})
    ASSERT_TRUE(fs::create_directories(test_.NativePath(folder)));
  ASSERT_TRUE(registry.SetShellFolder("Start Menu", test_.Path("Start Menu")));
  ASSERT_TRUE(registry.SetShellFolder("Desktop", test_.Path("Desktop")));
  ASSERT_TRUE(fs::create_directories(drive_.Native("Quarn7\\Help")));

  Windows seen = StartUntilPrompt(SW_SHOWNORMAL);
  ASSERT_TRUE(seen.prompt);
  PostMessageA(GetDlgItem(seen.prompt, IDOK), BM_CLICK, 0, 0);
  for (int i = 0; i < 5000 && !seen.progress; i++, Sleep(2)) seen.Look();
  EXPECT_TRUE(seen.progress);
  std::string controls;
  HMODULE modules[256];
  DWORD bytes = 0;
  K32EnumProcessModules(process_.hProcess, modules, sizeof modules, &bytes);
  for (DWORD i = 0; i < bytes / sizeof(HMODULE); i++) {
    char path[MAX_PATH] = "";
    K32GetModuleFileNameExA(process_.hProcess, modules[i], path, MAX_PATH);
    if (StrStrIA(path, "comctl32")) controls = path;
  }
  EXPECT_TRUE(StrStrIA(controls.c_str(), "\\winsxs\\")) << controls;

  EXPECT_EQ(0, Finish(120000));
  EXPECT_FALSE(fs::is_empty(drive_.Native("Quarn7\\Help\\Tesmohelp")));
  for (const char* link : {"Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk",
                           "Start Menu\\Programs\\Quarn 7\\Tesmo.lnk", "Desktop\\Tesmo.lnk"})
    EXPECT_TRUE(test_.Exists(link)) << link;
}

}  // namespace
