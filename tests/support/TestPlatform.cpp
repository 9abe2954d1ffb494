#include "tests/support/TestPlatform.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Writes through to the real file until its room is used up.
class FillingFile : public File {
 public:
  FillingFile(File* real, const RecordingPlatform& p) : real_(real), room_(p.room), brokenPipe_(p.brokenPipe) {}
  ~FillingFile() override { delete real_; }
  size_t Read(void* buffer, size_t n) override { return real_->Read(buffer, n); }
  size_t Write(const void* data, size_t n, bool* brokenPipe) override {
    const size_t put = real_->Write(data, n < room_ ? n : room_, brokenPipe);
    room_ -= put;
    if (put < n && brokenPipe) *brokenPipe = brokenPipe_;
    return put;
  }

 private:
  File* real_;
  size_t room_;
  bool brokenPipe_;
};

}  // namespace

void RecordingPlatform::ShowMessage(BoxOwner owner, const char* text,
                                    const char* caption) {
  messages.push_back(
      {owner, text ? text : "", caption ? caption : "", caption != nullptr});
}

File* RecordingPlatform::OpenWrite(const char* path) {
  File* f = NativePlatform::OpenWrite(path);
  return f ? new FillingFile(f, *this) : nullptr;
}

bool RecordingPlatform::SetFileTimes(const char* path, FileTime utc) {
  if (events) events->push_back(std::string("stamp ") + path);
  return !stampsFail && NativePlatform::SetFileTimes(path, utc);
}

TestPlatform::TestPlatform() {
  static unsigned counter = 0;
  const std::string stamp = std::to_string(
      std::chrono::steady_clock::now().time_since_epoch().count());
  std::error_code error;
  do {
    folder_ = (fs::temp_directory_path() /
               ("tesmo-" + stamp + "-" + std::to_string(counter++))).string();
  } while (!fs::create_directory(folder_, error) && !error);
  if (error) abort();  // no temp folder: no test can run
  savedWorkingDirectory_ = fs::current_path(error).string();
#ifdef _WIN32
  root_ = folder_;
#else
  platform_.SetDriveFolder('T', folder_.c_str());
  root_ = "T:";
#endif
}

TestPlatform::~TestPlatform() {
  std::error_code ignored;
  fs::current_path(savedWorkingDirectory_, ignored);
  fs::remove_all(folder_, ignored);
}

std::string TestPlatform::Path(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "\\" + relative;
}

std::string TestPlatform::NativePath(const std::string& relative) const {
  const char separator = static_cast<char>(fs::path::preferred_separator);
  std::string path = folder_;
  if (!relative.empty()) path += separator;
  for (char c : relative) path += (c == '\\' || c == '/') ? separator : c;
  return path;
}

bool TestPlatform::WriteFile(const std::string& relative,
                             const std::string& content) const {
  std::ofstream out(NativePath(relative), std::ios::binary);
  return out.write(content.data(), content.size()).flush().good();
}

std::string TestPlatform::Content(const std::string& relative) const {
  std::ifstream in(NativePath(relative), std::ios::binary);
  if (!in) return "<unreadable>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TestPlatform::Exists(const std::string& relative) const {
  std::error_code ignored;
  return fs::exists(NativePath(relative), ignored);
}
