// The program's restriction of the DLL search, in a process of its own:
// a DLL beside the program is found by name before it and not after it,
// while System32's DLLs and the shell's COM objects still load.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/DllSearch.h"

namespace {

// tesmo_plant.dll is built beside this program.
TEST(DllSearchTest, PlantedDllIsNotFoundOnceRestricted) {
  HMODULE planted = LoadLibraryA("tesmo_plant.dll");
  ASSERT_TRUE(planted) << "the planted DLL is not where the search looks first";
  FreeLibrary(planted);

  RestrictDllSearchToSystem32();
  EXPECT_FALSE(LoadLibraryA("tesmo_plant.dll"));
  EXPECT_TRUE(LoadLibraryA("uxtheme.dll"));
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  IShellLinkA* link = nullptr;
  EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkA, reinterpret_cast<void**>(&link))));
  if (link) link->Release();
  CoUninitialize();
}

}  // namespace
