// Values of the current user's registry set for a test's lifetime (Windows
// only), such as the shell folders that links and icons go to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Sets values of the current user's registry and, when destroyed, puts back
// what was there (or removes what was not).
class RegistryValues {
 public:
  ~RegistryValues() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->existed)
        RegSetKeyValueA(HKEY_CURRENT_USER, it->key.c_str(), it->name, it->type, it->data.data(),
                        static_cast<DWORD>(it->data.size()));
      else
        RegDeleteKeyValueA(HKEY_CURRENT_USER, it->key.c_str(), it->name);
    }
  }
  // Making a link copies the user folder of the desktop over the plain one,
  // so both are set alike.
  bool SetShellFolder(const char* name, const std::string& path) {
    const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    return Set(explorer + "User Shell Folders", name, path) && Set(explorer + "Shell Folders", name, path);
  }

 private:
  struct Saved {
    std::string key;
    const char* name;
    bool existed;
    DWORD type;
    std::string data;
  };
  bool Set(const std::string& key, const char* name, const std::string& text) {
    char data[1024];
    DWORD type = REG_SZ, size = sizeof data;
    bool existed = RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                                &size) == ERROR_SUCCESS;
    saved_.push_back({key, name, existed, type, std::string(data, existed ? size : 0)});
    return RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                           static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }
  std::vector<Saved> saved_;
};
