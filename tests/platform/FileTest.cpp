// Files and folders through the platform seam: Win32 under Wine, or the host.
#include <errno.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/TestPlatform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Bytes written read back, through either separator and in any case; writing
// empties a file first. A folder, or a name ending in a separator, is no file.
TEST(FileTest, WrittenBytesReadBack) {
  TestPlatform t;
  Platform& p = t.platform();
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>(i * 7 + i / 251);
  ASSERT_TRUE(t.WriteFile("data.bin", "a longer old content than the new one"));
  std::unique_ptr<File> out(p.OpenWrite(t.Path("data.bin").c_str()));
  ASSERT_TRUE(out);
  bool brokenPipe = true;
  EXPECT_EQ(data.size(), out->Write(data.data(), data.size(), &brokenPipe));
  EXPECT_FALSE(brokenPipe);
  out.reset();
  std::unique_ptr<File> in(p.OpenRead((t.Root() + "/DATA.BIN").c_str()));
  ASSERT_TRUE(in);
  std::string back;
  char chunk[30000];
  for (size_t n; (n = in->Read(chunk, sizeof chunk)) > 0;) back.append(chunk, n);
  EXPECT_TRUE(back == data);

  ASSERT_EQ(0, p.MakeFolder(t.Path("folder").c_str()));
  for (const char* name : {"missing.txt", "folder"})
    EXPECT_EQ(nullptr, std::unique_ptr<File>(p.OpenRead(t.Path(name).c_str()))) << name;
  for (const char* name : {"no-such-folder\\new.txt", "folder", "entry\\", "entry/"})
    EXPECT_EQ(nullptr, std::unique_ptr<File>(p.OpenWrite(t.Path(name).c_str()))) << name;
  EXPECT_FALSE(t.Exists("entry"));
}

// MakeFolder makes the last level only; ChangeFolder moves relative paths,
// and a failed change leaves them where they were.
TEST(FolderTest, MakeAndChangeFolder) {
  TestPlatform t;
  Platform& p = t.platform();
  EXPECT_EQ(0, p.MakeFolder(t.Path("Quarn7").c_str()));
  EXPECT_EQ(0, p.MakeFolder(t.Path("Quarn7\\Zips").c_str()));
  EXPECT_EQ(EEXIST, p.MakeFolder(t.Path("Quarn7").c_str()));
  ASSERT_TRUE(t.WriteFile("file.txt", "x"));
  EXPECT_EQ(EEXIST, p.MakeFolder(t.Path("file.txt").c_str()));
  EXPECT_EQ(ENOENT, p.MakeFolder(t.Path("Missing\\Child").c_str()));
  EXPECT_FALSE(t.Exists("Missing"));

  ASSERT_EQ(0, p.ChangeFolder(t.Path("Quarn7").c_str()));
  EXPECT_EQ(-1, p.ChangeFolder(t.Path("missing").c_str()));
  EXPECT_EQ(-1, p.ChangeFolder(t.Path("file.txt").c_str()));
  delete p.OpenWrite("here.txt");
  delete p.OpenWrite("..\\up.txt");
  EXPECT_TRUE(t.Exists("Quarn7\\here.txt") && t.Exists("up.txt"));
}

#ifdef _WIN32
// Files open with the C streams' sharing: held open read+write elsewhere, a
// file can still be read and rewritten.
TEST(FileTest, OpensShareReadAndWrite) {
  TestPlatform t;
  Platform& p = t.platform();
  ASSERT_TRUE(t.WriteFile("held.txt", "held"));
  HANDLE other = CreateFileA(t.Path("held.txt").c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  EXPECT_NE(nullptr, std::unique_ptr<File>(p.OpenRead(t.Path("held.txt").c_str())));
  EXPECT_NE(nullptr, std::unique_ptr<File>(p.OpenWrite(t.Path("held.txt").c_str())));
  CloseHandle(other);
}
#endif

}  // namespace
