// The installer's payload object: linked into a program, it gives resource
// "ZIP1" of type "ZIPFILE", in US English, holding the archive unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string ReadFile(const char* path) {
  std::string bytes;
  FILE* file = fopen(path, "rb");
  if (!file) return bytes;
  char chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
  fclose(file);
  return bytes;
}

TEST(PayloadResource, HoldsTheArchiveUnchanged) {
  HRSRC found = FindResourceExA(nullptr, "ZIPFILE", "ZIP1", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ASSERT_NE(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(nullptr, loaded);
  const char* bytes = static_cast<const char*>(LockResource(loaded));
  const std::string archive = ReadFile(TESMO_PAYLOAD_FILE);
  ASSERT_GT(archive.size(), 0u) << TESMO_PAYLOAD_FILE;
  EXPECT_EQ(archive.size(), SizeofResource(nullptr, found));
  EXPECT_TRUE(archive == std::string(bytes, SizeofResource(nullptr, found)));
}

}  // namespace
