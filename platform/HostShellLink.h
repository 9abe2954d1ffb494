// Shell links on the host. Saving a link writes a small readable file at the
// link path, so a host run shows what would be made:
//
//   [Shell link]
//   Target=C:\Quarn7\Quarn7.exe
//   WorkingDirectory=C:\Quarn7\Tesmo
//   Description=QUARN Drawing
//
// Each COM step can be told to fail, and every call is logged in order, so
// tests see which boxes follow which failure and that every object made is
// released and every initialise balanced.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

class HostPlatform;

// The steps that can fail, as CreateShortcut meets them.
enum class LinkStep { None, Initialize, CreateInstance, QueryInterface, Save };

class HostShellLinks {
 public:
  // E_FAIL, what a step told to fail returns (negative, as HRESULTs are
  // 32 bits wide).
  static const ComResult kFailure = static_cast<int32_t>(0x80004005u);

  // The step that fails from now on; LinkStep::None for none.
  LinkStep failAt = LinkStep::None;
  // "CoInitialize", "CoCreateInstance", "SetPath <target>",
  // "SetDescription <text>", "SetWorkingDirectory <folder>",
  // "QueryInterface", "Save <path>", "Release IPersistFile",
  // "Release IShellLinkA", "CoUninitialize".
  std::vector<std::string> calls;

  ComResult Initialize();
  ComResult Create(HostPlatform& platform, ShellLinkObject** link);
  void Uninitialize();
  // What the failing step (if it is this one) returns, else S_OK.
  ComResult Outcome(LinkStep step) const { return step == failAt ? kFailure : 0; }
};
