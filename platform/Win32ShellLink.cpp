// The shell link part of the Win32 platform: COM on the calling thread and
// the shell's link object through IShellLinkA and IPersistFile.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "platform/Win32Platform.h"

namespace {

// The wide buffer of the link path.
const unsigned kWidePathSize = kPathSize;

class Win32ShellLink : public ShellLinkObject {
 public:
  explicit Win32ShellLink(IShellLinkA* link) : link_(link) {}

  void SetPath(const char* target) override { link_->SetPath(target); }
  void SetDescription(const char* description) override {
    link_->SetDescription(description);
  }
  void SetWorkingDirectory(const char* folder) override {
    link_->SetWorkingDirectory(folder);
  }
  ComResult QueryPersistFile() override {
    return link_->QueryInterface(IID_IPersistFile,
                                 reinterpret_cast<void**>(&file_));
  }
  ComResult Save(const char* linkPath) override {
    // A path that does not convert whole still ends inside the buffer, so
    // Save never reads past it.
    WCHAR wide[kWidePathSize] = {0};
    MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, kWidePathSize);
    wide[kWidePathSize - 1] = 0;
    return file_->Save(wide, TRUE);
  }
  void ReleasePersistFile() override {
    if (file_) file_->Release();
    file_ = NULL;
  }
  void Release() override {
    link_->Release();
    delete this;
  }

 private:
  IShellLinkA* link_;
  IPersistFile* file_ = NULL;
};

}  // namespace

ComResult Win32Platform::ComInitialize() { return CoInitialize(NULL); }

ComResult Win32Platform::CreateShellLink(ShellLinkObject** link) {
  IShellLinkA* object = NULL;
  HRESULT result =
      CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER,
                       IID_IShellLinkA, reinterpret_cast<void**>(&object));
  if (SUCCEEDED(result) && !object) result = E_POINTER;
  *link = SUCCEEDED(result) ? new Win32ShellLink(object) : nullptr;
  return result;
}

void Win32Platform::ComUninitialize() { CoUninitialize(); }
