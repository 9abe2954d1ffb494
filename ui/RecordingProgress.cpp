#include "ui/RecordingProgress.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "ui/FileCountText.h"
#include "ui/PauseStart.h"

RecordingProgress::RecordingProgress(Platform& platform, Wait wait)
    : platform_(platform), wait_(std::move(wait)) {
  if (!wait_) {
    wait_ = [](int ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
  }
}

void RecordingProgress::SetStatus(const char* text) {
  status = text;
  if (echo) printf("%s\n", text);
}

int RecordingProgress::AddFileLine(const char* text) {
  lines.push_back(text);
  fileCount++;
  char count[kCountTextSize];
  FormatFileCount(fileCount, count, sizeof count);
  countText = count;
  if (echo) printf("  %s\n", text);
  return 1;
}

void RecordingProgress::Pause(int ms) {
  int wait = StartPause(platform_, ms);
  waits.push_back(wait);
  wait_(wait);
}
