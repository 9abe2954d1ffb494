#include "tests/support/TestPlatform.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

void RecordingPlatform::ShowMessage(BoxOwner owner, const char* text,
                                    const char* caption) {
  messages.push_back(
      {owner, text ? text : "", caption ? caption : "", caption != nullptr});
}

TestPlatform::TestPlatform() {
  std::error_code ignored;
  savedWorkingDirectory_ = fs::current_path(ignored).string();
#ifdef _WIN32
  root_ = folder_.path();
#else
  platform_.SetDriveFolder('T', folder_.path().c_str());
  root_ = "T:";
#endif
}

TestPlatform::~TestPlatform() {
  std::error_code ignored;
  fs::current_path(savedWorkingDirectory_, ignored);
}

std::string TestPlatform::Path(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "\\" + relative;
}

std::string TestPlatform::NativePath(const std::string& relative) const {
  std::string path = folder_.path();
  if (relative.empty()) return path;
#ifdef _WIN32
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  path += separator;
  for (char c : relative) path += (c == '\\' || c == '/') ? separator : c;
  return path;
}

bool TestPlatform::WriteFile(const std::string& relative,
                             const std::string& content) const {
  FILE* f = fopen(NativePath(relative).c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(content.data(), 1, content.size(), f) == content.size();
  return fclose(f) == 0 && ok;
}

bool TestPlatform::ReadFile(const std::string& relative,
                            std::string* content) const {
  FILE* f = fopen(NativePath(relative).c_str(), "rb");
  if (!f) return false;
  content->clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) content->append(buffer, n);
  bool ok = !ferror(f);
  fclose(f);
  return ok;
}

bool TestPlatform::Exists(const std::string& relative) const {
  std::error_code ignored;
  return fs::exists(NativePath(relative), ignored);
}

bool TestPlatform::IsFolder(const std::string& relative) const {
  std::error_code ignored;
  return fs::is_directory(NativePath(relative), ignored);
}
