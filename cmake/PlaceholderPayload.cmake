# PLACEHOLDER PAYLOAD, to be dropped when the sample add-on's own
# `tesmo_payload` target (resources/CMakeLists.txt) is merged: the root
# CMakeLists.txt includes this file only while no such target exists.
# It embeds the archive of tools/make_sample_payload.py as it stands, as
# resource "ZIP1" of type "ZIPFILE", without the publisher's checks.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TESMO_PLACEHOLDER_DIR ${CMAKE_BINARY_DIR}/placeholder-payload)
set(TESMO_PLACEHOLDER_ZIP ${TESMO_PLACEHOLDER_DIR}/Tesmo.zip)
add_custom_command(OUTPUT ${TESMO_PLACEHOLDER_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TESMO_PLACEHOLDER_DIR}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_sample_payload.py
          ${TESMO_PLACEHOLDER_ZIP}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_sample_payload.py)
# windres reads the archive by its name on the include path, so no build
# path goes into the script.
file(WRITE ${TESMO_PLACEHOLDER_DIR}/Payload.rc
  "LANGUAGE 9, 1\nZIP1 ZIPFILE \"Tesmo.zip\"\n")
add_library(tesmo_payload OBJECT ${TESMO_PLACEHOLDER_DIR}/Payload.rc)
target_include_directories(tesmo_payload PRIVATE ${TESMO_PLACEHOLDER_DIR})
set_source_files_properties(${TESMO_PLACEHOLDER_DIR}/Payload.rc PROPERTIES
  OBJECT_DEPENDS ${TESMO_PLACEHOLDER_ZIP})
