// Helpers for the tests of the real dialogs under Windows (or Wine): the
// hidden main window, checks of a dialog's controls against the template's
// table, and a way to act on a modal dialog from inside its own loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Sets AppInstance to this program (which carries the real resources),
// initialises the common controls and creates the hidden main window once.
void SetUpAppWindows();

// How a control's size relates to the template's.
enum class Fit {
  Exact,
  // A picture control takes the size of its image; only the position of its
  // top-left corner follows the template.
  Image,
  // A list box without LBS_NOINTEGRALHEIGHT shrinks to whole lines.
  WholeLines,
};

// One control as the template describes it. Styles are those besides
// WS_CHILD and WS_VISIBLE; a null text is not checked.
struct ExpectedControl {
  int id;
  const char* className;
  const char* text;
  DWORD style;
  DWORD exStyle;
  int x, y, width, height;  // dialog units
  Fit fit;
};

// Checks the dialog's child windows, in z order (which is the template and
// tab order), against the expected ones: id, class, text, styles, and the
// position and size that MapDialogRect gives for the dialog units.
void ExpectControls(HWND dialog, const ExpectedControl* controls, int count);

// The dialog's control at |index| in z order; controls without an id
// cannot be found by GetDlgItem.
HWND NthControl(HWND dialog, int index);

// The rectangle of the dialog units (x, y, width, height) in pixels of the
// dialog's client area.
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int width, int height);
// The window's rectangle in its parent's (or the dialog's) client pixels.
RECT RectInParent(HWND window, HWND parent);

std::string WindowText(HWND window);
// The height in pixels that the control's text takes when a static control
// wraps it to the control's width.
int WrappedTextHeight(HWND control);
std::string ClassName(HWND window);

// Runs |action| on the next visible dialog of this thread once its modal
// loop turns (from a thread timer that the loop dispatches). Messages that
// the action posts are handled by that loop. A dialog still open two
// seconds after the action is ended with -2 and the test fails.
void WhenDialogRuns(std::function<void(HWND dialog)> action);

// Milliseconds of the performance counter, for timing pauses.
double NowMs();
