// Files through the platform seam: the real Win32 calls under Wine, the
// host mapping on Linux.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/TestPlatform.h"

namespace {

std::unique_ptr<File> OpenRead(TestPlatform& t, const std::string& relative) {
  return std::unique_ptr<File>(t.platform().OpenRead(t.Path(relative).c_str()));
}

std::unique_ptr<File> OpenWrite(TestPlatform& t, const std::string& relative) {
  return std::unique_ptr<File>(t.platform().OpenWrite(t.Path(relative).c_str()));
}

TEST(FileTest, WrittenBytesReadBackInChunks) {
  TestPlatform t;
  std::string data(100000, '\0');
  for (size_t i = 0; i < data.size(); i++) data[i] = static_cast<char>(i * 7 + i / 251);
  {
    std::unique_ptr<File> out = OpenWrite(t, "data.bin");
    ASSERT_TRUE(out);
    bool brokenPipe = true;
    EXPECT_EQ(data.size(), out->Write(data.data(), data.size(), &brokenPipe));
    EXPECT_FALSE(brokenPipe);
    EXPECT_EQ(0u, out->Write(data.data(), 0, &brokenPipe));
  }
  std::unique_ptr<File> in = OpenRead(t, "data.bin");
  ASSERT_TRUE(in);
  std::string back;
  char chunk[30000];
  size_t n;
  while ((n = in->Read(chunk, sizeof chunk)) > 0) back.append(chunk, n);
  EXPECT_EQ(data, back);
  EXPECT_EQ(0u, in->Read(chunk, sizeof chunk));
}

TEST(FileTest, OpenWriteEmptiesAnExistingFile) {
  TestPlatform t;
  ASSERT_TRUE(t.WriteFile("old.txt", "a longer old content"));
  {
    std::unique_ptr<File> out = OpenWrite(t, "old.txt");
    ASSERT_TRUE(out);
    bool brokenPipe;
    EXPECT_EQ(3u, out->Write("new", 3, &brokenPipe));
  }
  std::string content;
  ASSERT_TRUE(t.ReadFile("old.txt", &content));
  EXPECT_EQ("new", content);
}

TEST(FileTest, OpenWithoutAFileToOpenFails) {
  TestPlatform t;
  ASSERT_EQ(0, t.platform().MakeFolder(t.Path("folder").c_str()));

  EXPECT_FALSE(OpenRead(t, "missing.txt"));
  EXPECT_FALSE(OpenWrite(t, "no-such-folder\\new.txt"));
  EXPECT_FALSE(t.Exists("no-such-folder"));
  // A folder is no file, for reading or writing.
  EXPECT_FALSE(OpenRead(t, "folder"));
  EXPECT_FALSE(OpenWrite(t, "folder"));
  EXPECT_TRUE(t.IsFolder("folder"));
}

TEST(FileTest, ForwardSlashesSeparateToo) {
  TestPlatform t;
  ASSERT_EQ(0, t.platform().MakeFolder(t.Path("sub").c_str()));
  std::unique_ptr<File> out(
      t.platform().OpenWrite((t.Root() + "/sub/x.txt").c_str()));
  ASSERT_TRUE(out);
  out.reset();
  EXPECT_TRUE(t.Exists("sub\\x.txt"));
}

}  // namespace
