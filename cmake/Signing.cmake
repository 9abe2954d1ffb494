# Signing Tesmo_setup.exe with the publisher's code-signing certificate
# (Authenticode, SHA-256, Debian's osslsigncode), the last step of its
# build. Off unless a certificate is named; then nothing here changes the
# build, and the unsigned exe stays the same bytes from build to build.
#
# The password is read only while signing, from a file or an environment
# variable whose name is given here: never from the command line or this
# cache, which anyone who reads the build folder could see.
set(TESMO_SIGN_PKCS12 "" CACHE FILEPATH
    "Publisher's certificate and key as one PKCS#12 file (.p12/.pfx) to sign Tesmo_setup.exe with")
set(TESMO_SIGN_CERT "" CACHE FILEPATH
    "Publisher's certificate (PEM or DER, with its chain), with TESMO_SIGN_KEY")
set(TESMO_SIGN_KEY "" CACHE FILEPATH "Private key of TESMO_SIGN_CERT (PEM or DER)")
set(TESMO_SIGN_PASSWORD_FILE "" CACHE FILEPATH
    "File whose first line is the password of the PKCS#12 file or key")
set(TESMO_SIGN_PASSWORD_ENV "" CACHE STRING
    "Name of the environment variable that holds that password while building")
set(TESMO_SIGN_CA_FILE "" CACHE FILEPATH
    "Root certificates the signature must verify against (default: the system's)")
set(TESMO_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 time-stamp server, so that the signature outlives the certificate")

if(DEFINED TESMO_SIGN_PASSWORD)
  unset(TESMO_SIGN_PASSWORD CACHE)
  message(FATAL_ERROR "TESMO_SIGN_PASSWORD: the password is never given to CMake; "
          "name a file with TESMO_SIGN_PASSWORD_FILE or an environment variable "
          "with TESMO_SIGN_PASSWORD_ENV")
endif()
if(NOT TESMO_SIGN_PKCS12 AND NOT TESMO_SIGN_CERT AND NOT TESMO_SIGN_KEY)
  foreach(option PASSWORD_FILE PASSWORD_ENV CA_FILE TIMESTAMP_URL)
    if(TESMO_SIGN_${option})
      message(FATAL_ERROR "TESMO_SIGN_${option} is set, but no certificate to sign "
              "with: set TESMO_SIGN_PKCS12, or TESMO_SIGN_CERT and TESMO_SIGN_KEY")
    endif()
  endforeach()
  return()
endif()

if(TESMO_SIGN_PKCS12)
  if(TESMO_SIGN_CERT OR TESMO_SIGN_KEY)
    message(FATAL_ERROR "Sign with TESMO_SIGN_PKCS12 or with TESMO_SIGN_CERT and "
            "TESMO_SIGN_KEY, not both")
  endif()
  get_filename_component(pkcs12 ${TESMO_SIGN_PKCS12} ABSOLUTE)
  set(sign_with --pkcs12 ${pkcs12})
elseif(TESMO_SIGN_CERT AND TESMO_SIGN_KEY)
  get_filename_component(cert ${TESMO_SIGN_CERT} ABSOLUTE)
  get_filename_component(key ${TESMO_SIGN_KEY} ABSOLUTE)
  set(sign_with --cert ${cert} --key ${key})
else()
  message(FATAL_ERROR "TESMO_SIGN_CERT and TESMO_SIGN_KEY go together")
endif()
if(TESMO_SIGN_PASSWORD_FILE AND TESMO_SIGN_PASSWORD_ENV)
  message(FATAL_ERROR "Give the password by TESMO_SIGN_PASSWORD_FILE or "
          "TESMO_SIGN_PASSWORD_ENV, not both")
elseif(TESMO_SIGN_PASSWORD_FILE)
  get_filename_component(password_file ${TESMO_SIGN_PASSWORD_FILE} ABSOLUTE)
  list(APPEND sign_with --password-file ${password_file})
elseif(TESMO_SIGN_PASSWORD_ENV)
  list(APPEND sign_with --password-env ${TESMO_SIGN_PASSWORD_ENV})
endif()
if(TESMO_SIGN_CA_FILE)
  get_filename_component(ca_file ${TESMO_SIGN_CA_FILE} ABSOLUTE)
  list(APPEND sign_with --ca-file ${ca_file})
endif()
if(TESMO_SIGN_TIMESTAMP_URL)
  list(APPEND sign_with --timestamp ${TESMO_SIGN_TIMESTAMP_URL})
endif()

find_program(TESMO_OSSLSIGNCODE osslsigncode)
if(NOT TESMO_OSSLSIGNCODE)
  message(FATAL_ERROR "Signing needs osslsigncode (Debian: apt-get install osslsigncode)")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Signed after the check of app/CMakeLists.txt (format, imports, size), so
# that what gets signed has passed it. A failing step makes the build delete
# the exe, so that no unsigned or unchecked installer is left to look
# finished.
add_custom_command(TARGET Tesmo_setup POST_BUILD
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/sign/sign_program.py
          $<TARGET_FILE:Tesmo_setup> ${sign_with}
  COMMENT "Signing Tesmo_setup.exe"
  VERBATIM)
