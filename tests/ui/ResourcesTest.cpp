// The compiled resources that this program carries, as the installer does,
// read in US English: a resource in any other language is not found.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The bytes of a resource in US English; null when there is none.
const BYTE* Resource(const char* type, const char* name, DWORD* size) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceExA(module, type, name,
                               MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (!info) return nullptr;
  *size = SizeofResource(module, info);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
}

// A zero-terminated UTF-16 field of a template. Menu, class and caption
// could also be ordinals; those read as text that no expectation holds.
std::wstring ReadText(const WORD*& p) {
  std::wstring text;
  while (*p) text += static_cast<wchar_t>(*p++);
  p++;
  return text;
}

// The window part of each dialog template, before its controls: what the
// dialog manager takes for the window itself (the controls are checked on
// the live dialogs).
TEST(ResourcesTest, DialogTemplatesHoldTheirStylesSizesCaptionsAndFonts) {
  const DWORD kPrompt = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER |
                        DS_MODALFRAME | DS_SETFONT;
  const struct {
    const char* name;
    bool extended;
    DWORD style;
    int controls, width, height;
    const wchar_t* caption;
  } dialogs[] = {
      {"SETUP1", false, kPrompt, 8, 348, 180, L""},
      {"DISPLAY", true, kPrompt & ~WS_SYSMENU, 5, 348, 180, L"Files Expanded"},
      {"PAUSE", false, WS_CHILD | DS_SETFONT, 0, 5, 5, L""},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.name);
    DWORD size = 0;
    const WORD* p =
        reinterpret_cast<const WORD*>(Resource(RT_DIALOG, d.name, &size));
    ASSERT_TRUE(p);
    // An extended template starts with version 1, signature 0xFFFF and a
    // help id, and has the extended style before the style.
    const bool extended = p[0] == 1 && p[1] == 0xFFFF;
    EXPECT_EQ(d.extended, extended);
    const DWORD* styles = reinterpret_cast<const DWORD*>(extended ? p + 4 : p);
    EXPECT_EQ(d.style, styles[extended ? 1 : 0]);
    EXPECT_EQ(0u, styles[extended ? 0 : 1]);
    p += extended ? 8 : 4;
    const int counts[] = {d.controls, 0, 0, d.width, d.height};
    for (int i = 0; i < 5; i++) EXPECT_EQ(counts[i], *p++) << "field " << i;
    EXPECT_EQ(L"", ReadText(p));  // menu
    EXPECT_EQ(L"", ReadText(p));  // window class
    EXPECT_EQ(d.caption, ReadText(p));
    EXPECT_EQ(8, *p++);  // points
    // Weight 0, not italic, DEFAULT_CHARSET.
    if (extended) {
      EXPECT_EQ(0, *p++);
      EXPECT_EQ(DEFAULT_CHARSET << 8, *p++);
    }
    EXPECT_EQ(L"MS Sans Serif", ReadText(p));
  }
}

TEST(ResourcesTest, PictureIs226By165With216Colours) {
  DWORD size = 0;
  const BITMAPINFOHEADER* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(
      Resource(RT_BITMAP, "DFF", &size));
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(226, bitmap->biWidth);
  EXPECT_EQ(165, bitmap->biHeight);
  EXPECT_EQ(8, bitmap->biBitCount);
  EXPECT_EQ(216u, bitmap->biClrUsed);
  // Header, 216 colours and 165 uncompressed rows of 228 bytes.
  EXPECT_EQ(40u + 216 * 4 + 165 * 228, size);
}

TEST(ResourcesTest, IconHas32And16PixelImagesOf16Colours) {
  DWORD size = 0;
  const WORD* group = reinterpret_cast<const WORD*>(
      Resource(RT_GROUP_ICON, "SETUPICON", &size));
  ASSERT_TRUE(group);
  EXPECT_EQ(1, group[1]);  // icons, not cursors
  ASSERT_EQ(2, group[2]);
  // Entries of 14 bytes: width, height, colours, reserved, planes, bits...
  const BYTE* e = reinterpret_cast<const BYTE*>(group + 3);
  EXPECT_EQ((std::vector<int>{32, 32, 16, 4, 16, 16, 16, 4}),
            (std::vector<int>{e[0], e[1], e[2], e[6],  //
                              e[14], e[15], e[16], e[20]}));
}

// The version block's strings in the US English, Unicode table, and the
// manifest that asks for the version 6 common controls.
TEST(ResourcesTest, VersionBlockAndManifestHoldTheListedFields) {
  DWORD size = 0;
  const BYTE* resource = Resource(RT_VERSION, MAKEINTRESOURCEA(1), &size);
  ASSERT_TRUE(resource);
  // VerQueryValue works on a writable copy with room, as GetFileVersionInfo
  // gives.
  std::string copy(reinterpret_cast<const char*>(resource), size);
  copy.resize(size * 3);
  const BYTE* block = reinterpret_cast<const BYTE*>(&copy[0]);
  UINT length = 0;
  const char* const strings[][2] = {
      {"Comments", "QUARN addon file"},  {"FileDescription", "setup"},
      {"FileVersion", "7, 0, 0, 0"},     {"InternalName", "addonsetup"},
      {"LegalTrademarks", " "},          {"OriginalFilename", "addonsetup.exe"},
      {"PrivateBuild", " "},             {"ProductName", "QUARN addon"},
      {"ProductVersion", "7, 0, 0, 0"},  {"SpecialBuild", " "},
  };
  for (const auto& s : strings) {
    char path[128];
    snprintf(path, sizeof path, "\\StringFileInfo\\040904b0\\%s", s[0]);
    char* value = nullptr;
    ASSERT_TRUE(VerQueryValueA(block, path, reinterpret_cast<void**>(&value),
                               &length)) << s[0];
    EXPECT_STREQ(s[1], value) << s[0];
  }

  const BYTE* manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEA(1), &size);
  ASSERT_TRUE(manifest);
  std::string text(reinterpret_cast<const char*>(manifest), size);
  EXPECT_NE(std::string::npos,
            text.find("\"Microsoft.Windows.Common-Controls\""));
  EXPECT_NE(std::string::npos, text.find("version=\"6.0.0.0\""));
}

}  // namespace
