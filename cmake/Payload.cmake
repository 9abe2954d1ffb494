# The add-on archive that the installer carries, as resource "ZIP1" of type
# "ZIPFILE" in the object library tesmo_payload. By default it is the sample
# add-on made by tools/make_sample_payload.py; a publisher names two folders
# of files (-DTESMO_ADDON_FOLDER, -DTESMO_HELP_FOLDER), which
# tools/make_payload turns into the archive here, or their own archive
# (-DTESMO_PAYLOAD=path/to/Tesmo.zip). Either way the build first checks
# that the installer expands it, and its nested help archive, cleanly
# (tools/payload/check_payload.py with tesmo-unzip for the build machine)
# and stops with the tool's lines if not.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(payload_dir ${CMAKE_BINARY_DIR}/payload)

set(TESMO_ADDON_FOLDER "" CACHE PATH
    "Folder whose files become the add-on archive's entries (with TESMO_HELP_FOLDER)")
set(TESMO_HELP_FOLDER "" CACHE PATH
    "Folder whose files become the entries of the nested Tesmohelp.zip (with TESMO_ADDON_FOLDER)")
if((TESMO_ADDON_FOLDER OR TESMO_HELP_FOLDER) AND TESMO_PAYLOAD)
  message(FATAL_ERROR "Give either TESMO_PAYLOAD (an archive) or TESMO_ADDON_FOLDER and "
          "TESMO_HELP_FOLDER (two folders to make it from), not both")
elseif(TESMO_ADDON_FOLDER AND NOT TESMO_HELP_FOLDER)
  message(FATAL_ERROR "TESMO_ADDON_FOLDER needs TESMO_HELP_FOLDER too: the installer expands "
          "the nested Tesmohelp.zip at every installation, and without it each one ends "
          "with the fatal box")
elseif(TESMO_HELP_FOLDER AND NOT TESMO_ADDON_FOLDER)
  message(FATAL_ERROR "TESMO_HELP_FOLDER needs TESMO_ADDON_FOLDER too: the add-on's files")
endif()

# The check runs on the build machine, so tesmo-unzip is built for it: in a
# native build (Windows with MinGW-w64) the tool of this build, in a cross
# build a host build of this same source tree in a subfolder.
set(TESMO_UNZIP "" CACHE FILEPATH
    "tesmo-unzip built for the build machine, to check the payload with (default: built here)")
if(TESMO_UNZIP)
  set(payload_unzip ${TESMO_UNZIP})
  set(payload_unzip_target)
elseif(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(host_dir ${CMAKE_BINARY_DIR}/host-tools)
  if(CMAKE_GENERATOR MATCHES "Make")
    set(host_build $(MAKE) tesmo-unzip)  # shares the outer make's job slots
  else()
    set(host_build ${CMAKE_COMMAND} --build <BINARY_DIR> --target tesmo-unzip)
  endif()
  ExternalProject_Add(tesmo_host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${host_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    BUILD_COMMAND ${host_build}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${host_dir}/tools/tesmo-unzip)
  set(payload_unzip ${host_dir}/tools/tesmo-unzip)
  set(payload_unzip_target tesmo_host_tools)
else()
  set(payload_unzip $<TARGET_FILE:tesmo-unzip>)
  set(payload_unzip_target tesmo-unzip)
endif()
# For the tests that run the check themselves.
set(TESMO_PAYLOAD_UNZIP ${payload_unzip} CACHE INTERNAL "")

if(TESMO_PAYLOAD)
  get_filename_component(payload ${TESMO_PAYLOAD} ABSOLUTE)
  if(NOT EXISTS ${payload} OR IS_DIRECTORY ${payload})
    message(FATAL_ERROR "TESMO_PAYLOAD: no archive at ${payload}")
  endif()
  set(payload_folders)
elseif(TESMO_ADDON_FOLDER)
  get_filename_component(addon ${TESMO_ADDON_FOLDER} ABSOLUTE)
  get_filename_component(help ${TESMO_HELP_FOLDER} ABSOLUTE)
  set(payload ${payload_dir}/Tesmo.zip)
  set(payload_folders ${addon} ${help})
  # Globbed again at every build, so that a file added or removed makes the
  # archive again: the list goes into a file that changes only with it (a
  # file copied in with an old time would not make the archive older). A
  # changed file does, by its time. Subfolders are listed so the maker can
  # refuse them.
  file(GLOB folder_entries CONFIGURE_DEPENDS LIST_DIRECTORIES true ${addon}/* ${help}/*)
  set(folder_files)
  foreach(entry ${folder_entries})
    if(NOT IS_DIRECTORY ${entry})
      list(APPEND folder_files ${entry})
    endif()
  endforeach()
  string(REPLACE ";" "\n" listed "${folder_entries}")
  file(WRITE ${payload_dir}/folders.new "${addon}\n${help}\n${listed}\n")
  configure_file(${payload_dir}/folders.new ${payload_dir}/folders.txt COPYONLY)
  add_custom_command(OUTPUT ${payload}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/payload/make_payload.py
            ${addon} ${help} ${payload}
    DEPENDS ${folder_files} ${payload_dir}/folders.txt
            ${CMAKE_SOURCE_DIR}/tools/payload/make_payload.py
    COMMENT "Making the add-on archive from ${addon} and ${help}"
    VERBATIM)
else()
  set(payload ${payload_dir}/Tesmo.zip)
  set(payload_folders ${payload_dir}/Tesmo-addon ${payload_dir}/Tesmo-help)
  add_custom_command(OUTPUT ${payload}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${payload_dir}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_sample_payload.py ${payload}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_sample_payload.py
            ${CMAKE_SOURCE_DIR}/tools/payload/make_payload.py
    COMMENT "Making the sample add-on archive"
    VERBATIM)
endif()
set(TESMO_PAYLOAD_FILE ${payload} CACHE INTERNAL "")
# The two folders it was made from, if it was: the end-to-end tests expect
# every file of them installed.
set(TESMO_PAYLOAD_FOLDERS "${payload_folders}" CACHE INTERNAL "")

set(payload_checked ${payload_dir}/checked.stamp)
add_custom_command(OUTPUT ${payload_checked}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/payload/check_payload.py
          ${payload_unzip} ${payload} ${payload_checked}
  DEPENDS ${payload} ${payload_unzip} ${payload_unzip_target}
          ${CMAKE_SOURCE_DIR}/tools/payload/check_payload.py
  COMMENT "Checking the payload ${payload}"
  VERBATIM)

# windres reads the archive by the path in the script; forward slashes need
# no escaping there.
set(payload_rc ${payload_dir}/Payload.rc)
file(GENERATE OUTPUT ${payload_rc} CONTENT
"// Generated by the build: the add-on archive the installer writes out.
LANGUAGE 9, 1 // LANG_ENGLISH, SUBLANG_ENGLISH_US
ZIP1 ZIPFILE \"${payload}\"
")
# The stamp, a source without a compile step, makes the check part of the
# target; windres runs again when the archive changes.
add_library(tesmo_payload OBJECT ${payload_rc} ${payload_checked})
set_source_files_properties(${payload_rc} PROPERTIES OBJECT_DEPENDS "${payload};${payload_checked}")
