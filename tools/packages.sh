# The Debian packages the project needs, and their installation; sourced by
# tools/test and tools/demo.

# What builds the installer and runs it under Wine on a virtual display:
# both MinGW-w64 compilers, 32-bit and 64-bit Wine, GoogleTest (the payload
# check's host build configures the whole tree), chmcmd for the sample's
# help files, xdotool and ImageMagick for the screenshots.
DEMO_PACKAGES=(cmake g++ make libgtest-dev python3 g++-mingw-w64-i686
               g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth xdotool
               imagemagick fp-utils)
# The tests add the sanitizer build (clang), the reference libraries and
# a help file reader.
TEST_PACKAGES=("${DEMO_PACKAGES[@]}" zlib1g-dev clang libclang-rt-14-dev
               libchm-bin libdeflate-dev osslsigncode openssl)

# install_missing PACKAGE...: installs those not installed yet (as root, or
# through sudo), adding the i386 architecture for 32-bit Wine.
install_missing() {
  local missing=() p
  for p in "$@"; do
    # A package installed for two architectures answers only by its
    # qualified name.
    dpkg -s "$p" >/dev/null 2>&1 ||
      dpkg -s "$p:$(dpkg --print-architecture)" >/dev/null 2>&1 ||
      missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386 || return 1
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q || return 1
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    "${missing[@]}" || return 1
}
