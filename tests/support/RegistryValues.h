// Values of the current user's registry set for a test's lifetime (Windows
// only), such as the shell folders that links and icons go to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell "
    "Folders";

// Sets values of the current user's registry for the test's lifetime and
// puts back what was there (or removes what was not).
class RegistryValues {
 public:
  ~RegistryValues() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->existed)
        RegSetKeyValueA(HKEY_CURRENT_USER, it->key, it->name, it->type,
                        it->data.data(), static_cast<DWORD>(it->data.size()));
      else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, it->key, it->name);
    }
  }
  // Making a link copies the user folder of the desktop over the plain one,
  // so both are set alike.
  bool SetShellFolder(const char* name, const std::string& path) {
    return Set(kUserShellFolders, name, path) && Set(kShellFolders, name, path);
  }

 private:
  struct Saved {
    const char* key;
    const char* name;
    bool existed;
    DWORD type;
    std::string data;
  };
  bool Set(const char* key, const char* name, const std::string& text) {
    char data[1024];
    DWORD type = REG_SZ, size = sizeof data;
    bool existed = RegGetValueA(HKEY_CURRENT_USER, key, name,
                                RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                                &size) == ERROR_SUCCESS;
    saved_.push_back({key, name, existed, type, std::string(data, existed ? size : 0)});
    return RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                           static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }
  std::vector<Saved> saved_;
};

