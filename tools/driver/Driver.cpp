// tesmo_driver: works the real installer from another process as a user
// would, and writes down everything it shows. Run in the same Wine session
// as the installer.
//
//   tesmo_driver run EXE [--type TEXT] [--press install|cancel|escape|close]
//                [--show N] [--hold-escape] [--signal DIR [--signal-lines N]]
//                [--out FILE]
//   tesmo_driver link FILE.lnk...
//   tesmo_driver payload EXE ZIP OUT.exe
//
// Every wait is bounded (a whole run by two minutes): an installer that is
// stuck has what is on screen written out, is ended, and the driver exits
// with 2.
#include <windows.h>

#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const UINT kReplyMs = 200;  // the longest wait for one answer of a window
const double kRunSeconds = 120;  // the longest run, start to exit

// ---------------------------------------------------------------- transcript

FILE* Out = stdout;

void Emit(const std::string& line) {
  std::string escaped;
  for (char c : line) escaped += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  fprintf(Out, "%s\n", escaped.c_str());
  fflush(Out);
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / frequency.QuadPart;
}

// ------------------------------------------------------------------- windows

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string Title(HWND window) {
  char title[512] = "";
  GetWindowTextA(window, title, sizeof title);
  return title;
}

// A window's text as its own window procedure answers it, so only while its
// thread serves messages: what the user could see then. false when it did
// not answer in time.
bool AskText(HWND window, std::string* text) {
  char buffer[4096] = "";
  DWORD_PTR length = 0;
  if (!window || !SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer,
                                      reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                                      kReplyMs, &length))
    return false;
  *text = buffer;
  return true;
}

std::string TextOf(HWND window) {
  std::string text;
  AskText(window, &text);
  return text;
}

// The top-level windows of one process, at one look.
struct Screen {
  HWND main = nullptr, prompt = nullptr, progress = nullptr;
  std::vector<HWND> boxes;  // visible dialogs that are neither of the two
  std::set<std::string> shown;  // "class: title" of every visible window

  static Screen Look(DWORD process) {
    Screen screen;
    std::pair<DWORD, Screen*> context(process, &screen);
    EnumWindows(
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
          auto& [process, screen] = *reinterpret_cast<std::pair<DWORD, Screen*>*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner != process) return TRUE;
          const std::string name = ClassOf(window);
          if (name == "Tesmo Setup") screen->main = window;
          if (!IsWindowVisible(window)) return TRUE;
          screen->shown.insert(name + ": " + Title(window));
          if (name != "#32770") return TRUE;
          if (GetDlgItem(window, 101)) screen->prompt = window;
          else if (GetDlgItem(window, 1033)) screen->progress = window;
          else screen->boxes.push_back(window);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
    return screen;
  }
};

// The text of a message box: its static control that is no icon.
std::string BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ClassOf(child) == "Static" && !(GetWindowLongA(child, GWL_STYLE) & SS_ICON) &&
        AskText(child, &text) && !text.empty())
      return text;
  return text;
}

// What is on screen, for a run that went wrong.
void DumpScreen(DWORD process) {
  Emit("stuck: what is on screen");
  EnumWindows(
      [](HWND window, LPARAM process) CALLBACK -> BOOL {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != static_cast<DWORD>(process) || !IsWindowVisible(window)) return TRUE;
        Emit("  window " + ClassOf(window) + " \"" + Title(window) + "\"");
        for (HWND child = GetWindow(window, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT))
          Emit("    " + std::to_string(GetDlgCtrlID(child)) + " " + ClassOf(child) + " \"" +
               TextOf(child) + "\"");
        return TRUE;
      },
      static_cast<LPARAM>(process));
}

// ----------------------------------------------------------------------- run

struct Options {
  std::string exe, type, press = "install", signal, out;
  bool typeSet = false, holdEscape = false;
  int signalLines = 0, show = -1;  // -1: no show command given
};

void SendEscape(bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_ESCAPE;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

void Touch(const std::string& folder, const char* name) {
  if (FILE* f = fopen((folder + "\\" + name).c_str(), "wb")) fclose(f);
}

class Run {
 public:
  explicit Run(const Options& options) : o_(options), deadline_(Now() + kRunSeconds) {}

  // The exit code of the driver: 0 when the installer ended by itself.
  int Go() {
    if (!Start()) return 2;
    Screen screen;
    std::set<std::string> before;  // every window shown up to the prompt
    while (!(screen = Screen::Look(info_.dwProcessId)).prompt) {
      before.insert(screen.shown.begin(), screen.shown.end());
      if (!Tick() || Ended()) return Stuck("no drive prompt");
    }
    prompt_ = screen.prompt;
    main_ = screen.main;
    before.insert(screen.shown.begin(), screen.shown.end());
    before.erase("#32770: " + Title(prompt_));
    Emit("prompt: " + Title(prompt_) + " | " + TextOf(GetDlgItem(prompt_, 101)) + " | " +
         Start(before));
    if (o_.typeSet) {
      HWND entry = GetDlgItem(prompt_, 101);
      DWORD_PTR ignored;
      SendMessageTimeoutA(entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(o_.type.c_str()),
                          SMTO_NORMAL, kReplyMs, &ignored);
    }
    if (!o_.signal.empty()) {
      Touch(o_.signal, "prompt.ready");
      const double until = Now() + 60;
      while (GetFileAttributesA((o_.signal + "\\prompt.go").c_str()) == INVALID_FILE_ATTRIBUTES)
        if (Now() > until || !Tick()) return Stuck("no prompt.go");
    }
    Press();
    const double pressed = Now();
    while (!Ended()) {
      Watch();
      if (!Tick()) return Stuck("the installer did not end");
    }
    const double seconds = Now() - pressed;
    if (progress_) Emit("count: " + count_);
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    Emit("exit: " + std::to_string(code));
    char text[32];
    snprintf(text, sizeof text, "%.3f", seconds);
    Emit(std::string("seconds: ") + text);
    if (holding_) SendEscape(false);
    if (!o_.signal.empty()) Touch(o_.signal, "done");
    return 0;
  }

 private:
  bool Start() {
    const std::string folder = o_.exe.substr(0, o_.exe.find_last_of("\\/"));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (o_.show >= 0) {
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = static_cast<WORD>(o_.show);
    }
    if (CreateProcessA(o_.exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &info_))
      return true;
    Emit("error: cannot start " + o_.exe);
    return false;
  }
  bool Ended() { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }
  // One short wait; false once the whole run's time is over.
  bool Tick() {
    WaitForSingleObject(info_.hProcess, 5);
    return Now() < deadline_;
  }
  int Stuck(const char* why) {
    Emit(std::string("timeout: ") + why);
    DumpScreen(info_.dwProcessId);
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    if (holding_) SendEscape(false);
    return 2;
  }
  // How the program came up, at its prompt: who owns the prompt, the main
  // window (hidden, with the plain title), whatever else was shown first,
  // and where its common controls come from (the side-by-side store for the
  // version 6 that its manifest binds).
  std::string Start(const std::set<std::string>& before) const {
    std::string facts = std::string("owner=") +
                        (GetWindow(prompt_, GW_OWNER) == main_ && main_ ? "main" : "other") +
                        (IsIconic(prompt_) ? " minimized" : "") + " main=" +
                        (IsWindowVisible(main_) ? "shown " : "hidden ") + Title(main_);
    for (const std::string& window : before) facts += " | shown first: " + window;
    HMODULE modules[256];
    DWORD bytes = 0;
    K32EnumProcessModules(info_.hProcess, modules, sizeof modules, &bytes);
    std::string controls = "none";
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 256; i++) {
      char path[MAX_PATH] = "";
      K32GetModuleFileNameExA(info_.hProcess, modules[i], path, MAX_PATH);
      std::string lower = path;
      for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
      if (lower.find("comctl32") != std::string::npos)
        controls = lower.find("\\winsxs\\") != std::string::npos ? "side-by-side" : "system";
    }
    return facts + " | comctl32 " + controls;
  }
  void Press() {
    if (o_.press == "install" || o_.press == "cancel") {
      PostMessageA(GetDlgItem(prompt_, o_.press == "install" ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
    } else if (o_.press == "escape") {
      // To the focused entry, as the keyboard would: the dialog's own loop
      // turns it into Cancel.
      HWND entry = GetDlgItem(prompt_, 101);
      PostMessageA(entry, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageA(entry, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    } else {
      PostMessageA(prompt_, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    }
  }

  // One look at the installer while it works. Each read waits until the
  // installer serves its windows (in a pause or a box), so the status and
  // the list are taken at such moments: the status is read before and after
  // the list, and only a pair that agrees is kept. Then the status, which
  // was set before the lines it leads, is written first.
  void Watch() {
    Screen screen = Screen::Look(info_.dwProcessId);
    if (!progress_ && screen.progress) {
      progress_ = screen.progress;
      Emit("progress: caption=" + Title(progress_));
    }
    if (progress_ && IsWindow(progress_)) {
      HWND status = GetDlgItem(progress_, 111);
      std::string before, after, count;
      std::vector<std::string> lines, added;
      for (int attempt = 0; attempt < 5; attempt++) {
        if (!AskText(status, &before) || !ReadLines(&lines, &added)) break;
        if (!added.empty() && (!AskText(status, &after) || before != after)) continue;
        if (!before.empty() && before != status_) Emit("status: " + (status_ = before));
        NoteLines(lines, added);
        break;
      }
      // The count changes with the lines only.
      if (countFor_ != lines_.size() && AskText(GetDlgItem(progress_, 110), &count)) {
        count_ = count;
        countFor_ = lines_.size();
      }
      HoldEscape();
    }
    for (HWND box : screen.boxes) AnswerBox(box);
  }

  // One line of the list; false when it did not answer in time. The wide
  // form: the narrow one does not cross processes whole.
  // The installer's lines are composed in 1024 bytes: the buffer holds any.
  bool Item(HWND list, size_t index, std::string* text) {
    wchar_t wide[4096] = L"";
    char line[4096] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL,
                             kReplyMs, &length) ||
        length >= 4096)
      return false;
    WideCharToMultiByte(CP_ACP, 0, wide, -1, line, sizeof line, nullptr, nullptr);
    *text = line;
    return true;
  }

  // The sorted list as it is now, and the lines added since the last look,
  // found from |lines_|, the copy of that look, with as few reads as can
  // be: each read waits for the installer, which serves its windows only
  // in the 100 ms pause after each line. Lines are only ever added, so
  // before the first new line the list equals the copy: a binary search
  // finds it, and the search goes on behind it for the next. One new line,
  // the rule, is looked for first at the top line, where the installer
  // scrolls each line it adds (as far as the list scrolls: else it is
  // further down). false when the list did not answer in time or changed
  // meanwhile.
  bool ReadLines(std::vector<std::string>* now, std::vector<std::string>* added) {
    HWND list = GetDlgItem(progress_, 1033);
    DWORD_PTR count = 0, top = 0, again = 0;
    *now = lines_;
    added->clear();
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kReplyMs, &count))
      return false;
    std::map<size_t, std::string> read;  // lines of the list, each read once
    auto differs = [&](size_t i, bool* result) {
      if (!read.count(i) && !Item(list, i, &read[i])) return false;
      *result = i == now->size() || read[i] != (*now)[i];
      return true;
    };
    const bool scrolled =
        SendMessageTimeoutW(list, LB_GETTOPINDEX, 0, 0, SMTO_NORMAL, kReplyMs, &top) && top < count;
    size_t from = count == now->size() + 1 && scrolled ? top : 0;
    for (bool atTop = from > 0; now->size() < count; from++, atTop = false) {
      size_t to = now->size();
      bool different = false;
      if (atTop) {
        if (!differs(from, &different)) return false;
        if (different) to = from;
        else from++;
      }
      while (from < to) {
        const size_t middle = (from + to) / 2;
        if (!differs(middle, &different)) return false;
        if (different) to = middle;
        else from = middle + 1;
      }
      if (!read.count(from) && !Item(list, from, &read[from])) return false;
      now->insert(now->begin() + from, read[from]);
      added->push_back(read[from]);
    }
    // Of several new lines, the one at the top came last; the others came
    // before it, in an order that no look saw.
    if (scrolled && added->size() > 1) {
      auto last = std::find(added->begin(), added->end(), (*now)[top]);
      if (last != added->end()) std::rotate(last, last + 1, added->end());
    }
    return SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kReplyMs, &again) &&
           again == count;
  }

  // Writes the new lines and keeps the list as the copy of this look.
  void NoteLines(const std::vector<std::string>& now, const std::vector<std::string>& added) {
    for (const std::string& line : added) Emit("line: " + line);
    lines_ = now;
    if (!o_.signal.empty() && o_.signalLines > 0 && !signalled_ &&
        lines_.size() >= static_cast<size_t>(o_.signalLines)) {
      Touch(o_.signal, "progress.ready");
      signalled_ = true;
    }
  }

  // Escape held down with real key input while files are being expanded
  // (the pause after each looks at the key). Wine lets go of a held key
  // when a window takes the focus: it is pressed again then, but never
  // while a box shows, which the key would close.
  void HoldEscape() {
    const bool want = o_.holdEscape && !lines_.empty() &&
                      status_.compare(0, 9, "Expanding") == 0 &&
                      Screen::Look(info_.dwProcessId).boxes.empty();
    if (want && !(GetAsyncKeyState(VK_ESCAPE) & 0x8000)) SendEscape(true);
    if (!want && holding_) SendEscape(false);
    holding_ = want;
  }

  void AnswerBox(HWND box) {
    HWND owner = GetWindow(box, GW_OWNER);
    const char* who = !owner ? "none" : owner == main_ ? "main" : "other";
    Emit(std::string("box: owner=") + who + " caption=" + Title(box) + " text=" + BoxText(box));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    const double until = Now() + 10;
    while (IsWindow(box) && IsWindowVisible(box) && Now() < until) Sleep(2);
  }

  const Options& o_;
  const double deadline_;
  PROCESS_INFORMATION info_ = {};
  HWND main_ = nullptr, prompt_ = nullptr, progress_ = nullptr;
  std::string status_, count_;
  std::vector<std::string> lines_;  // the list as last seen
  size_t countFor_ = ~size_t{0};     // the number of lines when count_ was read
  bool signalled_ = false, holding_ = false;
};

// ---------------------------------------------------------------------- link

int ShowLink(const char* path) {
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t wide[MAX_PATH];
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
  int rc = 1;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IShellLinkA, reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    char target[MAX_PATH] = "", folder[MAX_PATH] = "", description[MAX_PATH] = "";
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
    link->GetDescription(description, MAX_PATH);
    printf("target=%s\nworkdir=%s\ndescription=%s\n", target, folder, description);
    rc = 0;
  } else {
    fprintf(stderr, "tesmo_driver: cannot load %s\n", path);
  }
  if (file) file->Release();
  if (link) link->Release();
  return rc;
}

// ------------------------------------------------------------------- payload

// Resources of a module, each added to an update unless it is the payload.
struct Copier {
  HMODULE module;
  HANDLE update;
  bool ok = true;

  static bool IsPayload(LPCSTR type, LPCSTR name) {
    return !IS_INTRESOURCE(type) && !IS_INTRESOURCE(name) && !lstrcmpiA(type, "ZIPFILE") &&
           !lstrcmpiA(name, "ZIP1");
  }
  static BOOL CALLBACK Language(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR self) {
    Copier& c = *reinterpret_cast<Copier*>(self);
    HRSRC found = FindResourceExA(c.module, type, name, language);
    void* data = LockResource(LoadResource(c.module, found));
    if (!IsPayload(type, name))
      c.ok &= !!UpdateResourceA(c.update, type, name, language, data,
                                SizeofResource(c.module, found));
    return TRUE;
  }
  static BOOL CALLBACK Name(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR self) {
    return EnumResourceLanguagesA(module, type, name, Language, self) || TRUE;
  }
  static BOOL CALLBACK Type(HMODULE module, LPSTR type, LONG_PTR self) {
    return EnumResourceNamesA(module, type, Name, self) || TRUE;
  }
};

// A copy of the installer whose payload (resource "ZIP1" of type "ZIPFILE",
// US English) holds the given file's bytes. The copy is built with every
// other resource of the installer; an empty file gives no payload at all,
// which the installer takes as an empty one (Wine keeps no resource of 0
// bytes, and cannot take one out of a file).
int ReplacePayload(const char* exe, const char* zip, const char* out) {
  std::string bytes;
  FILE* in = fopen(zip, "rb");
  if (!in) return fprintf(stderr, "tesmo_driver: cannot read %s\n", zip), 1;
  char chunk[65536];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
  fclose(in);
  Copier copier = {LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr};
  if (copier.module && CopyFileA(exe, out, FALSE) &&
      (copier.update = BeginUpdateResourceA(out, TRUE)) &&
      EnumResourceTypesA(copier.module, Copier::Type, reinterpret_cast<LONG_PTR>(&copier)) &&
      copier.ok &&
      (bytes.empty() ||
       UpdateResourceA(copier.update, "ZIPFILE", "ZIP1",
                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &bytes[0],
                       static_cast<DWORD>(bytes.size()))) &&
      EndUpdateResourceA(copier.update, FALSE)) {
    FreeLibrary(copier.module);
    return 0;
  }
  return fprintf(stderr, "tesmo_driver: cannot put %s into %s\n", zip, out), 1;
}

int Usage() {
  fprintf(stderr,
          "usage: tesmo_driver run EXE [--type TEXT] [--press install|cancel|escape|close]\n"
          "                    [--show N] [--hold-escape] [--signal DIR [--signal-lines N]]\n"
          "                    [--out FILE]\n"
          "       tesmo_driver link FILE.lnk...\n"
          "       tesmo_driver payload EXE ZIP OUT.exe\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "link" && argc > 2) {
    CoInitialize(nullptr);
    int rc = 0;
    for (int i = 2; i < argc; i++) rc |= ShowLink(argv[i]);
    CoUninitialize();
    return rc;
  }
  if (command == "payload" && argc == 5) return ReplacePayload(argv[2], argv[3], argv[4]);
  if (command != "run" || argc < 3) return Usage();
  Options o;
  o.exe = argv[2];
  for (int i = 3; i < argc; i++) {
    const std::string arg = argv[i];
    const bool more = i + 1 < argc;
    if (arg == "--hold-escape") o.holdEscape = true;
    else if (arg == "--type" && more) o.type = argv[++i], o.typeSet = true;
    else if (arg == "--press" && more) o.press = argv[++i];
    else if (arg == "--show" && more) o.show = atoi(argv[++i]);
    else if (arg == "--signal" && more) o.signal = argv[++i];
    else if (arg == "--signal-lines" && more) o.signalLines = atoi(argv[++i]);
    else if (arg == "--out" && more) o.out = argv[++i];
    else return Usage();
  }
  if (o.press != "install" && o.press != "cancel" && o.press != "escape" && o.press != "close")
    return Usage();
  if (!o.out.empty() && !(Out = fopen(o.out.c_str(), "wb")))
    return fprintf(stderr, "tesmo_driver: cannot write %s\n", o.out.c_str()), 1;
  const int rc = Run(o).Go();
  if (Out != stdout) fclose(Out);
  return rc;
}
