// A fresh, empty folder in the system's temp folder, removed with all it
// holds when the object goes. Works the same natively and under Wine.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's native path: "/tmp/tesmo-..." on Linux,
  // "C:\...\Temp\tesmo-..." on Windows. No trailing separator.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
