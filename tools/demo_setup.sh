# A world for the real installer to run in, and its run there; sourced by
# tools/demo and bench/install_time after tools/wine.sh. Every function
# works from the project's root folder.

# The drive the main system QUARN 7 is installed on.
DEMO_LETTER=D

# run_logged LOG COMMAND...: one step of the demo with its output added to
# LOG; if it fails, its own last lines are shown and the status is non-zero.
run_logged() {
  local log=$1
  shift
  mkdir -p "$(dirname "$log")"
  "$@" >>"$log" 2>&1 && return 0
  echo "${0#"$PWD"/}: failed: $* (the end of $log:)" >&2
  tail -n 30 "$log" >&2
  STEP_REPORTED=1
  return 1
}

# The automation driver of the Windows build in $WIN_BUILD.
demo_driver() { printf '%s' "$WIN_BUILD/tools/driver/tesmo_driver.exe"; }

# demo_build [CMAKE-OPTION...]: builds the installer and the driver that
# works it, for the Wine of this machine (choose_wine), in $WIN_BUILD: with
# the sample add-on, or the payload the options name.
demo_build() {
  echo "== building Tesmo_setup.exe and tesmo_driver.exe in $WIN_BUILD"
  mkdir -p "$(dirname "$WIN_BUILD")" && : >"$WIN_BUILD.log"
  # Configured every time: the options (a publisher's payload, or none)
  # must be those of this run, not the ones the folder was made with.
  run_logged "$WIN_BUILD.log" cmake -S . -B "$WIN_BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-$WIN_TOOLCHAIN.cmake" "$@" &&
  run_logged "$WIN_BUILD.log" cmake --build "$WIN_BUILD" -j2 --target Tesmo_setup tesmo_driver
}

# demo_world FOLDER: a fresh Wine prefix in FOLDER/prefix and everything the
# installer expects of a user's machine. Sets DEMO_DRIVE (the drive's
# folder on this machine), DEMO_START_MENU and DEMO_DESKTOP (the shell
# folders, as Windows paths) and DEMO_SETUP (the installer in the prefix).
demo_world() {
  local folder=$1 profile user
  rm -rf "$folder" && mkdir -p "$folder"
  wine_prefix "$PWD/$folder/prefix" "$folder/wineboot.log"
  # The prefix's desktop is a link to the home folder of this machine:
  # the demo's links go to a desktop of its own.
  profile=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData | grep -v /Public/ | head -n 1)
  profile=${profile%/AppData}
  user=${profile##*/}
  rm -f "$profile/Desktop" && mkdir -p "$profile/Desktop"
  DEMO_START_MENU="C:\\users\\$user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"
  DEMO_DESKTOP="C:\\users\\$user\\Desktop"
  # Both keys alike: Wine copies the user folder of the desktop over the
  # plain one when a link is made.
  local key reg=$folder/shell-folders.reg
  {
    printf 'REGEDIT4\n'
    for key in "Shell Folders" "User Shell Folders"; do
      printf '\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\%s]\n' \
        "$key"
      # .reg strings double their backslashes
      printf '"Start Menu"="%s"\n' "${DEMO_START_MENU//\\/\\\\}"
      printf '"Desktop"="%s"\n' "${DEMO_DESKTOP//\\/\\\\}"
    done
  } >"$reg"
  run_logged "$folder/wineboot.log" "$WINELOADER" regedit /S "$(windows_path "$reg")"
  # The dialogs ask for "MS Sans Serif": the prefix gets Wine's own fonts,
  # as Windows has its own.
  [ -d /usr/share/wine/fonts ] && cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # The QUARN 7 drive: a folder of this machine mapped as a drive letter.
  DEMO_DRIVE=$PWD/$folder/drive-${DEMO_LETTER,,}
  ln -s "$DEMO_DRIVE" "$WINEPREFIX/dosdevices/${DEMO_LETTER,,}:"
  # The installer as a user finds it, dated as the sample add-on, so the
  # pictures change only when the windows do.
  mkdir -p "$WINEPREFIX/drive_c/Setup"
  cp "$WIN_BUILD/Tesmo_setup.exe" "$WINEPREFIX/drive_c/Setup/"
  touch -d '2014-05-03 12:00' "$WINEPREFIX/drive_c/Setup/Tesmo_setup.exe"
  DEMO_SETUP='C:\Setup\Tesmo_setup.exe'
  wineserver -w
  demo_drive
}

# demo_drive: the QUARN 7 drive as the main system left it, with its Help
# folder, and no links yet.
demo_drive() {
  rm -rf "$DEMO_DRIVE" && mkdir -p "$DEMO_DRIVE/Quarn7/Help"
  rm -rf "$(demo_native "$DEMO_START_MENU")/Programs/Quarn 7"
  rm -f "$(demo_native "$DEMO_DESKTOP")/Tesmo.lnk"
}

# demo_native PATH: a C: path of the prefix as a path of this machine.
demo_native() {
  local path=${1#C:}
  printf '%s/drive_c%s' "$WINEPREFIX" "${path//\\//}"
}

# demo_driven TRANSCRIPT [DRIVER-OPTION...]: installs on the demo drive with
# the driver answering the prompt; its transcript goes to TRANSCRIPT. Needs
# a display (the virtual one).
demo_driven() {
  local transcript=$1
  shift
  "$WINELOADER" "$(demo_driver)" run "$DEMO_SETUP" \
    --type "$DEMO_LETTER" --press install --out "$(windows_path "$transcript")" "$@" \
    >/dev/null 2>&1
}

# demo_seconds TRANSCRIPT: the time from Install to the installer's exit.
demo_seconds() { sed -n 's/^seconds: //p' "$1"; }

# demo_entries: the entries of the payload and of its nested help archive,
# each listed by the installer and followed by its pause.
demo_entries() {
  python3 - "$(sed -n 's/^TESMO_PAYLOAD_FILE:INTERNAL=//p' "$WIN_BUILD/CMakeCache.txt")" <<'PY'
import io, sys, zipfile
outer = zipfile.ZipFile(sys.argv[1])
nested = [i for i in outer.infolist() if i.filename.lower() == "tesmohelp.zip"]
inner = zipfile.ZipFile(io.BytesIO(outer.read(nested[0])))
print(len(outer.infolist()) + len(inner.infolist()))
PY
}

# demo_floor: the seconds an installation waits by design: 100 ms after each
# file, 500 ms before each of the three links.
demo_floor() { awk -v n="$(demo_entries)" 'BEGIN { printf "%.1f", n * 0.1 + 3 * 0.5 }'; }
