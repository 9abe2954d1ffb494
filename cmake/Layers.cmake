# The folders of the product are layers. Each may include headers of its own
# folder and of the folders below it, never of one above or beside it (the
# folders quoted together stand side by side): the order below is what
# stands on what, and the configure stops at an include that breaks it.
# Sources name their headers from the top of the tree
# ("archive/ExpandState.h"); tesmo_platform, which every library links,
# gives that top to them all.
set(TESMO_LAYERS platform state "archive shell ui" app tools)

set(level 0)
foreach(layer ${TESMO_LAYERS})
  separate_arguments(folders UNIX_COMMAND "${layer}")
  foreach(folder ${folders})
    set(level_${folder} ${level})
  endforeach()
  math(EXPR level "${level} + 1")
endforeach()
foreach(layer ${TESMO_LAYERS})
  separate_arguments(folders UNIX_COMMAND "${layer}")
  foreach(folder ${folders})
    file(GLOB sources ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    foreach(source ${sources})
      file(STRINGS ${source} includes REGEX "^#include \"[a-z]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" used "${line}")
        if(DEFINED level_${used} AND NOT used STREQUAL folder AND
           NOT level_${used} LESS level_${folder})
          file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${source})
          message(FATAL_ERROR "${name}: ${line}: ${used}/ is not below ${folder}/")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()
