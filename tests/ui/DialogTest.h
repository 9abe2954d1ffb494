// What the tests of the real dialogs share: a fixture with the hidden main
// window and the dated title.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/AppHandles.h"
#include "state/InstallerState.h"
#include "state/WindowTitle.h"

const char kDatedTitle[] = "Tesmo Tutorial Setup   5/3/2014";

// This program (with the real resources) as AppInstance, a hidden main
// window and the dated title; the shared state is put back.
class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetInstallerState();
    if (!MainWindow) {
      InitCommonControls();
      AppInstance = GetModuleHandleA(nullptr);
      MainWindow = CreateWindowExA(0, "STATIC", kProductTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, AppInstance, nullptr);
    }
    strcpy(WindowTitle, kDatedTitle);
  }
  void TearDown() override { ResetInstallerState(); }
};

inline std::string WindowText(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}
