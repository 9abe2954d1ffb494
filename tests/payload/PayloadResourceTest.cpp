// The installer's payload object: linked into a program, it gives resource
// "ZIP1" of type "ZIPFILE", in US English, holding the archive unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

TEST(PayloadResource, HoldsTheArchiveUnchanged) {
  HRSRC found = FindResourceExA(nullptr, "ZIPFILE", "ZIP1", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ASSERT_NE(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(nullptr, loaded);
  std::ifstream file(TESMO_PAYLOAD_FILE, std::ios::binary);
  const std::string archive((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(archive.size(), 0u) << TESMO_PAYLOAD_FILE;
  EXPECT_TRUE(archive == std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found)));
}

}  // namespace
