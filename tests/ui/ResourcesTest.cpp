// The compiled resources that this program carries, as the installer does.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

const WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The bytes of a resource in US English; null when there is none.
const BYTE* Resource(const char* type, const char* name, DWORD* size) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC info = FindResourceExA(module, type, name, kUsEnglish);
  if (!info) return nullptr;
  *size = SizeofResource(module, info);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
}

TEST(ResourcesTest, EveryResourceIsInUsEnglish) {
  DWORD size = 0;
  EXPECT_TRUE(Resource(RT_DIALOG, "SETUP1", &size));
  EXPECT_TRUE(Resource(RT_DIALOG, "DISPLAY", &size));
  EXPECT_TRUE(Resource(RT_DIALOG, "PAUSE", &size));
  EXPECT_TRUE(Resource(RT_BITMAP, "DFF", &size));
  EXPECT_TRUE(Resource(RT_GROUP_ICON, "SETUPICON", &size));
  EXPECT_TRUE(Resource(RT_VERSION, MAKEINTRESOURCEA(1), &size));
  EXPECT_TRUE(Resource(RT_MANIFEST, MAKEINTRESOURCEA(1), &size));
  // The payload comes with the installer itself, not with these resources.
  EXPECT_FALSE(FindResourceA(GetModuleHandleA(nullptr), "ZIP1", "ZIPFILE"));
}

// Reads a dialog template's header: what the dialog manager takes for the
// window itself, before the controls.
struct TemplateHeader {
  bool extended;
  DWORD style, exStyle;
  int controls, x, y, width, height;
  std::wstring menu, windowClass, caption;
  int pointSize, weight, italic, charSet;
  std::wstring typeface;
};

// A menu, class or caption field: 0 (none), 0xFFFF and an ordinal, or a
// zero-terminated UTF-16 string.
std::wstring ReadNameOrOrdinal(const WORD*& p) {
  std::wstring name;
  if (*p == 0xFFFF) {
    name = L"#" + std::to_wstring(p[1]);
    p += 2;
    return name;
  }
  while (*p) name += static_cast<wchar_t>(*p++);
  p++;
  return name;
}

TemplateHeader ReadTemplateHeader(const BYTE* data) {
  TemplateHeader h = {};
  const WORD* p = reinterpret_cast<const WORD*>(data);
  h.extended = p[0] == 1 && p[1] == 0xFFFF;
  if (h.extended) {
    const DWORD* d = reinterpret_cast<const DWORD*>(p + 2);
    h.exStyle = d[1];
    h.style = d[2];
    p += 8;
  } else {
    const DWORD* d = reinterpret_cast<const DWORD*>(p);
    h.style = d[0];
    h.exStyle = d[1];
    p += 4;
  }
  h.controls = *p++;
  h.x = static_cast<short>(*p++);
  h.y = static_cast<short>(*p++);
  h.width = static_cast<short>(*p++);
  h.height = static_cast<short>(*p++);
  h.menu = ReadNameOrOrdinal(p);
  h.windowClass = ReadNameOrOrdinal(p);
  h.caption = ReadNameOrOrdinal(p);
  if (h.style & DS_SETFONT) {
    h.pointSize = *p++;
    if (h.extended) {
      h.weight = *p++;
      h.italic = *p & 0xFF;
      h.charSet = *p >> 8;
      p++;
    }
    h.typeface = ReadNameOrOrdinal(p);
  }
  return h;
}

TEST(ResourcesTest, DialogTemplatesHoldTheirStylesSizesCaptionsAndFonts) {
  const DWORD kPrompt = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER |
                        DS_MODALFRAME | DS_SETFONT;
  const DWORD kProgress =
      WS_VISIBLE | WS_CAPTION | DS_CENTER | DS_MODALFRAME | DS_SETFONT;
  const struct {
    const char* name;
    bool extended;
    DWORD style;
    int controls, width, height;
    const wchar_t* caption;
  } dialogs[] = {
      {"SETUP1", false, kPrompt, 8, 348, 180, L""},
      {"DISPLAY", true, kProgress, 5, 348, 180, L"Files Expanded"},
      {"PAUSE", false, WS_CHILD | DS_SETFONT, 0, 5, 5, L""},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.name);
    DWORD size = 0;
    const BYTE* data = Resource(RT_DIALOG, d.name, &size);
    ASSERT_TRUE(data);
    TemplateHeader h = ReadTemplateHeader(data);
    EXPECT_EQ(d.extended, h.extended);
    EXPECT_EQ(d.style, h.style);
    EXPECT_EQ(0u, h.exStyle);
    EXPECT_EQ(d.controls, h.controls);
    EXPECT_EQ(0, h.x);
    EXPECT_EQ(0, h.y);
    EXPECT_EQ(d.width, h.width);
    EXPECT_EQ(d.height, h.height);
    EXPECT_EQ(L"", h.menu);
    EXPECT_EQ(L"", h.windowClass);
    EXPECT_EQ(std::wstring(d.caption), h.caption);
    EXPECT_EQ(8, h.pointSize);
    EXPECT_EQ(L"MS Sans Serif", h.typeface);
    if (h.extended) {
      EXPECT_EQ(0, h.weight);
      EXPECT_EQ(0, h.italic);
      EXPECT_EQ(DEFAULT_CHARSET, h.charSet);
    }
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
  EXPECT_EQ(static_cast<DWORD>(BI_RGB), bitmap->biCompression);
  EXPECT_EQ(216u, bitmap->biClrUsed);
  // Header, 216 colours and 165 rows of 228 bytes.
  EXPECT_EQ(40u + 216 * 4 + 165 * 228, size);
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(ResourcesTest, IconHas32And16PixelImagesOf16Colours) {
  DWORD size = 0;
  const WORD* group =
      reinterpret_cast<const WORD*>(Resource(RT_GROUP_ICON, "SETUPICON", &size));
  ASSERT_TRUE(group);
  EXPECT_EQ(1, group[1]);  // icons, not cursors
  ASSERT_EQ(2, group[2]);
  const IconGroupEntry* entries =
      reinterpret_cast<const IconGroupEntry*>(group + 3);
  const int sizes[] = {32, 16};
  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(sizes[i], entries[i].width);
    EXPECT_EQ(sizes[i], entries[i].height);
    EXPECT_EQ(16, entries[i].colours);
    EXPECT_EQ(4, entries[i].bitCount);
  }
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), "SETUPICON");
  EXPECT_TRUE(icon);
}

// The value of a version string in the US English, UTF-16 string table.
std::string VersionString(const BYTE* block, const char* name) {
  char path[128];
  snprintf(path, sizeof path, "\\StringFileInfo\\040904b0\\%s", name);
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block, path, reinterpret_cast<void**>(&value), &length))
    return "<missing>";
  return value;
}

TEST(ResourcesTest, VersionBlockHoldsTheListedFields) {
  DWORD size = 0;
  const BYTE* resource = Resource(RT_VERSION, MAKEINTRESOURCEA(1), &size);
  ASSERT_TRUE(resource);
  // VerQueryValue works on a writable copy, as GetFileVersionInfo gives.
  std::string block(reinterpret_cast<const char*>(resource), size);
  block.resize(size * 3);
  const BYTE* data = reinterpret_cast<const BYTE*>(&block[0]);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data, "\\", reinterpret_cast<void**>(&fixed),
                             &length));
  EXPECT_EQ(MAKELONG(0, 7), fixed->dwFileVersionMS);
  EXPECT_EQ(0u, fixed->dwFileVersionLS);
  EXPECT_EQ(MAKELONG(0, 7), fixed->dwProductVersionMS);
  EXPECT_EQ(0u, fixed->dwProductVersionLS);
  EXPECT_EQ(0x3Fu, fixed->dwFileFlagsMask);
  EXPECT_EQ(0u, fixed->dwFileFlags);
  EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed->dwFileOS);
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

  EXPECT_EQ("QUARN addon file", VersionString(data, "Comments"));
  EXPECT_EQ("setup", VersionString(data, "FileDescription"));
  EXPECT_EQ("7, 0, 0, 0", VersionString(data, "FileVersion"));
  EXPECT_EQ("addonsetup", VersionString(data, "InternalName"));
  EXPECT_EQ(" ", VersionString(data, "LegalTrademarks"));
  EXPECT_EQ("addonsetup.exe", VersionString(data, "OriginalFilename"));
  EXPECT_EQ(" ", VersionString(data, "PrivateBuild"));
  EXPECT_EQ("QUARN addon", VersionString(data, "ProductName"));
  EXPECT_EQ("7, 0, 0, 0", VersionString(data, "ProductVersion"));
  EXPECT_EQ(" ", VersionString(data, "SpecialBuild"));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(data, "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(4u, length);
  EXPECT_EQ(0x0409, translation[0]);
  EXPECT_EQ(1200, translation[1]);
}

TEST(ResourcesTest, ManifestAsksForVersion6CommonControls) {
  DWORD size = 0;
  const BYTE* manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEA(1), &size);
  ASSERT_TRUE(manifest);
  std::string text(reinterpret_cast<const char*>(manifest), size);
  for (const char* part :
       {"name=\"Quarn7\"", "version=\"7.0.0.0\"",
        "processorArchitecture=\"X86\"", "type=\"win32\"",
        "<description>Your application description here.</description>",
        "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"", "language=\"*\""}) {
    EXPECT_NE(std::string::npos, text.find(part)) << part;
  }
}

}  // namespace
