// Desktop integration on the real Win32 API: the Wine prefix's registry,
// whose Shell Folders values the test sets and restores, and the shell's own
// link object, which reads the links back.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MessageReporter.h"
#include "shell/Shortcut.h"
#include "tests/shell/ShellTestKit.h"
#include "tests/support/RegistryValues.h"

namespace {

// A saved link as the shell's own link object reads it back:
// "<target> in <working folder>: <description>".
std::string LoadLink(const std::string& path) {
  if (FAILED(CoInitialize(NULL))) return "<no COM>";
  IShellLinkA* link = NULL;
  IPersistFile* file = NULL;
  WCHAR wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  char target[MAX_PATH] = "", folder[MAX_PATH] = "", description[MAX_PATH] = "";
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkA, reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(wide, STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, NULL, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)) &&
            SUCCEEDED(link->GetDescription(description, MAX_PATH));
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  return ok ? std::string(target) + " in " + folder + ": " + description : "<unreadable>";
}

// Every recipe finds its folder in the registry and makes a link there that
// the shell reads back. Only the last folder level is made, so with a Start
// menu without "Programs" (the desktop) the save fails: three boxes, in order.
TEST(ShellWin32Test, EachRecipeMakesALinkTheShellReadsBack) {
  TestPlatform test;
  RecordingPlatform& platform = test.platform();
  RegistryValues values;
  LoggingProgress progress;
  const InstallPaths saved = Paths;
  snprintf(Paths.Drive, sizeof Paths.Drive, "C:");
  for (const char* folder : {"Start Menu", "Start Menu\\Programs", "Desktop"})
    ASSERT_EQ(0, platform.MakeFolder(test.Path(folder).c_str()));
  ASSERT_TRUE(values.SetShellFolder("Start Menu", test.Path("Start Menu")));
  ASSERT_TRUE(values.SetShellFolder("Desktop", test.Path("Desktop")));

  EXPECT_EQ(1, MakeHelpStartMenuItem(platform, progress));
  EXPECT_EQ(1, MakeAddonStartMenuItem(platform, progress, "Tesmo"));
  EXPECT_EQ(1, MakeAddonDesktopIcon(platform, progress, "Tesmo"));
  EXPECT_TRUE(platform.messages.empty());
  const std::string addon = "C:\\Quarn7\\Quarn7.exe in C:\\Quarn7\\Tesmo: QUARN Drawing";
  EXPECT_EQ("C:\\Quarn7\\Dochost7.exe in C:\\Quarn7: QUARN Drawing",
            LoadLink(test.Path("Start Menu\\Programs\\Quarn 7\\QUARN 7 Help.lnk")));
  EXPECT_EQ(addon, LoadLink(test.Path("Start Menu\\Programs\\Quarn 7\\Tesmo.lnk")));
  EXPECT_EQ(addon, LoadLink(test.Path("Desktop\\Tesmo.lnk")));

  ASSERT_TRUE(values.SetShellFolder("Start Menu", test.Path("Desktop")));
  EXPECT_EQ(0, MakeAddonStartMenuItem(platform, progress, "Tesmo"));
  EXPECT_EQ((std::vector<std::string>{"Failed at save shortcut", "Failed to create shortcut", ReportText(3)}),
            ShortcutBoxes(platform));
  EXPECT_FALSE(test.Exists("Desktop/Programs"));
  Paths = saved;
}

}  // namespace
