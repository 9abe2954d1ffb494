// The platform seam over the real Win32 API and the C runtime, in their
// narrow-character forms.
#pragma once

#include "platform/Platform.h"

class Win32Platform : public Platform {
 public:
  File* OpenRead(const char* path) override;
  File* OpenWrite(const char* path) override;
  int MakeFolder(const char* path) override;
  int ChangeFolder(const char* path) override;
  bool DosDateTimeToLocalFileTime(uint16_t dosDate, uint16_t dosTime,
                                  FileTime* out) override;
  bool LocalFileTimeToUtc(FileTime local, FileTime* utc) override;
  bool SetFileTimes(const char* path, FileTime utc) override;
  bool ReadLastWriteTime(const char* path, FileTime* utc) override;
  bool UtcToLocalCalendar(FileTime utc, CalendarTime* out) override;
  bool DriveExists(const char* rootPath) override;
  void ChangeDrive(int number) override;
  // Payload and main window (Win32Program.cpp).
  void LocatePayload() override;
  const uint8_t* PayloadBytes(size_t* size) override;
  void ReleasePayload() override;
  void PostToMainWindow(unsigned message) override;
  bool EscapeKeyPressed() override;
  void ShowMessage(BoxOwner owner, const char* text,
                   const char* caption) override;
  // Registry (Win32Registry.cpp).
  long RegistryEnumSubkey(RegistryKey key, unsigned long index, char* name,
                          unsigned long size) override;
  long RegistryOpenSubkey(RegistryKey key, const char* name,
                          unsigned long access, RegistryKey* opened) override;
  long RegistryValueCount(RegistryKey key, unsigned long* count) override;
  long RegistryEnumValueName(RegistryKey key, unsigned long index, char* name,
                             unsigned long* length) override;
  long RegistryQueryValue(RegistryKey key, const char* name, char* data,
                          unsigned long* size) override;
  void RegistryCloseKey(RegistryKey key) override;
  // Shell links (Win32ShellLink.cpp).
  ComResult ComInitialize() override;
  ComResult CreateShellLink(ShellLinkObject** link) override;
  void ComUninitialize() override;
  // Search, copy and times (Win32FileSearch.cpp).
  FileSearch* FindFirst(const char* pattern) override;
  bool CopyFileReplacing(const char* from, const char* to) override;
  TimeHandle* OpenForTimes(const char* path) override;
};

// The process's platform object; DefaultPlatform() returns it too.
Win32Platform& DefaultWin32Platform();
