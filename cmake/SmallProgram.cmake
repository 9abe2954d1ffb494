# How the Windows product is compiled and linked: small, and the same bytes
# from every build of the same sources.
#
# - For size (-Os): the decoder's speed is far above what the pauses
#   after every file leave to notice. No unwind tables: nothing unwinds.
# - Each function in its own section, so the linker drops what nothing
#   calls. Not each variable: that would turn the zero-filled expansion
#   buffers into file bytes.
# - No exceptions, and no thread-safe statics (one thread; the guards would
#   bring in the threads library). The program defines operator new and
#   delete itself (app/ProgramRuntime.cpp), and formats through the
#   system's C library instead of MinGW's own printf (--wrap).
# - No build paths (-ffile-prefix-map), no time stamp in the PE header.
# - The plain CRC-32 of tesmo_archive, one table lookup per byte (1 KiB of
#   table); the fast one (tesmo_crc_fast, 8 KiB of tables and a processor
#   check) is for the host tool and the benchmarks only.
set(TESMO_PRODUCT_TARGETS tesmo_platform tesmo_state tesmo_archive
  tesmo_shell tesmo_ui tesmo_install Tesmo_setup Tesmo_setup_nopayload)
foreach(target ${TESMO_PRODUCT_TARGETS})
  target_compile_options(${target} PRIVATE -Os -ffunction-sections
    -fno-asynchronous-unwind-tables -fno-unwind-tables
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-threadsafe-statics>
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
endforeach()
foreach(program Tesmo_setup Tesmo_setup_nopayload)
  # The program's own sources need no type information either (the
  # libraries keep theirs: the tests derive from their classes).
  target_compile_options(${program} PRIVATE -fno-rtti)
  target_link_options(${program} PRIVATE -s -Wl,--gc-sections
    -Wl,--no-insert-timestamp -Wl,--wrap=__mingw_vsnprintf)
endforeach()
