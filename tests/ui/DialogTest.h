// What the tests of the real dialogs and boxes share: a fixture with the
// hidden main window and the dated title, and a way into a modal loop.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
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

// Runs |action| on the visible dialog or box once its modal loop turns, from
// a thread timer that loop dispatches. A dialog still open two seconds after
// the action is ended with -2 and the test fails.
inline void WhenDialogRuns(std::function<void(HWND dialog)> action) {
  static std::function<void(HWND)> pending;
  static HWND dialog;
  static UINT_PTR timer;
  static int ticks;
  pending = std::move(action);
  ticks = 0;
  if (timer) return;
  timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK {
    if (pending) {
      dialog = FindWindowA("#32770", nullptr);
      if (!IsWindowVisible(dialog)) return;
      std::function<void(HWND)> act = std::move(pending);
      pending = nullptr;
      act(dialog);
      return;
    }
    if (IsWindow(dialog) && ++ticks < 200) return;
    if (IsWindow(dialog)) {
      ADD_FAILURE() << "the dialog did not end";
      EndDialog(dialog, -2);
    }
    KillTimer(nullptr, timer);
    timer = 0;
  });
}
