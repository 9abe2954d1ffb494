// How the logic reports progress. The progress window implements it on
// Windows; host runs print or record.
#pragma once

class ProgressSink {
 public:
  virtual ~ProgressSink() {}
  // Replaces the one-line status text.
  virtual void SetStatus(const char* text) = 0;
  // Adds a line to the sorted file list, scrolls to it and counts it.
  // Returns 1.
  virtual int AddFileLine(const char* text) = 0;
  // Waits |ms| milliseconds while the interface is served. A negative value
  // first samples the Escape key and sets AbortRequested if it is down.
  virtual void Pause(int ms) = 0;
};
