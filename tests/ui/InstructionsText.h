// The drive prompt's instructions as the user reads them, written out in
// full so the composed text is held against every byte.
#pragma once

const char kExpectedInstructions[] =
    R"(The QUARN System files must be previously installed. Enter the drive where you installed the system files below.

This Installer will create the "Tesmo.zip" file in the "Quarn7\Zips" folder. It will unzip that file and put the files in a subfolder named "Tesmo" under the main Quarn7 folder. There should also be a subdfolder under "Quarn7\Help" with individual files that can be read by a browser.

If installation is successful, you should find a "Quarn7" item in the Start menu. Under that will be a submenu "Tesmo" item.

There should also be a "Tesmo" icon created on the Desktop.)";
