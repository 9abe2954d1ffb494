// The progress sink of host runs and tests: keeps what a progress window
// would show, and optionally prints it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "app/ProgressSink.h"

class RecordingProgress : public ProgressSink {
 public:
  // How a pause lets time pass; the default sleeps. Tests pass a clock of
  // their own.
  typedef std::function<void(int ms)> Wait;

  explicit RecordingProgress(Platform& platform, Wait wait = Wait());

  void SetStatus(const char* text) override;
  int AddFileLine(const char* text) override;
  void Pause(int ms) override;

  // Echoes status texts and file lines to standard output.
  bool echo = false;

  std::string status;
  std::vector<std::string> lines;  // in the order they were added
  int fileCount = 0;
  std::string countText;   // "%d Files"
  std::vector<int> waits;  // milliseconds waited, one per pause

 private:
  Platform& platform_;
  Wait wait_;
};
