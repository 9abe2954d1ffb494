#include "ui/Instructions.h"

#include <cstdio>

#include "state/InstallerState.h"

namespace {

// The add-on's name as the user meets it: its folder, Start-menu item and
// desktop icon.
const char kAddonName[] = "Tesmo";

// Paragraphs are separated by an empty line; the static control breaks
// lines at "\n" and wraps the rest.
const char kInstructionsFormat[] =
    "The QUARN System files must be previously installed. Enter the drive "
    "where you installed the system files below.\n\n"
    "This Installer will create the \"%s\" file in the \"%s\" folder. It will "
    "unzip that file and put the files in a subfolder named \"%s\" under the "
    "main %s folder. There should also be a subdfolder under \"%s\" with "
    "individual files that can be read by a browser.\n\n"
    "If installation is successful, you should find a \"%s\" item in the "
    "Start menu. Under that will be a submenu \"%s\" item.\n\n"
    "There should also be a \"%s\" icon created on the Desktop.";

}  // namespace

const char* ComposeInstructions() {
  snprintf(MessageText, sizeof MessageText, kInstructionsFormat, kAddonArchive,
           kZipsSubPath, kAddonName, kMainFolder, kHelpSubPath, kMainFolder,
           kAddonName, kAddonName);
  return MessageText;
}
