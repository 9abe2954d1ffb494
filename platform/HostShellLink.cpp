#include "platform/HostShellLink.h"


#include "platform/HostPlatform.h"

namespace {

// HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND): a link whose folder is missing.
const ComResult kPathNotFound = static_cast<int32_t>(0x80070003u);

class HostShellLink : public ShellLinkObject {
 public:
  HostShellLink(HostPlatform& platform, HostShellLinks& links)
      : platform_(platform), links_(links) {}

  void SetPath(const char* target) override {
    Log("SetPath ", target);
    target_ = target;
  }
  void SetDescription(const char* description) override {
    Log("SetDescription ", description);
    description_ = description;
  }
  void SetWorkingDirectory(const char* folder) override {
    Log("SetWorkingDirectory ", folder);
    folder_ = folder;
  }
  ComResult QueryPersistFile() override {
    Log("QueryInterface", "");
    return links_.Outcome(LinkStep::QueryInterface);
  }
  ComResult Save(const char* linkPath) override {
    Log("Save ", linkPath);
    if (links_.Outcome(LinkStep::Save) < 0) return HostShellLinks::kFailure;
    std::string text = "[Shell link]\nTarget=" + target_ +
                       "\nWorkingDirectory=" + folder_ +
                       "\nDescription=" + description_ + "\n";
    File* file = platform_.OpenWrite(linkPath);
    if (!file) return kPathNotFound;
    size_t put = file->Write(text.data(), text.size(), nullptr);
    delete file;
    return put == text.size() ? 0 : HostShellLinks::kFailure;
  }
  void ReleasePersistFile() override { Log("Release IPersistFile", ""); }
  void Release() override {
    Log("Release IShellLinkA", "");
    delete this;
  }

 private:
  void Log(const char* call, const char* argument) {
    links_.calls.push_back(std::string(call) + (argument ? argument : ""));
  }

  HostPlatform& platform_;
  HostShellLinks& links_;
  std::string target_, description_, folder_;
};

}  // namespace

ComResult HostShellLinks::Initialize() {
  calls.push_back("CoInitialize");
  return Outcome(LinkStep::Initialize);
}

ComResult HostShellLinks::Create(HostPlatform& platform, ShellLinkObject** link) {
  calls.push_back("CoCreateInstance");
  ComResult result = Outcome(LinkStep::CreateInstance);
  *link = result < 0 ? nullptr : new HostShellLink(platform, *this);
  return result;
}

void HostShellLinks::Uninitialize() { calls.push_back("CoUninitialize"); }

ComResult HostPlatform::ComInitialize() { return shellLinks_.Initialize(); }

ComResult HostPlatform::CreateShellLink(ShellLinkObject** link) {
  return shellLinks_.Create(*this, link);
}

void HostPlatform::ComUninitialize() { shellLinks_.Uninitialize(); }
