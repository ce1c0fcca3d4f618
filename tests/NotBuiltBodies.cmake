# Lists every ZARN_NOT_BUILT body still in the tree and fails when the list differs from
# tests/not_built.txt, so that each change that builds an operation also removes it from there.
#   cmake -DSOURCE_DIR=<repo> -P NotBuiltBodies.cmake
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/sdk/*.h ${SOURCE_DIR}/sdk/*.cpp
     ${SOURCE_DIR}/lobby/*.h ${SOURCE_DIR}/lobby/*.cpp
     ${SOURCE_DIR}/host/*.h ${SOURCE_DIR}/host/*.cpp)
list(REMOVE_ITEM sources sdk/base/NotBuilt.h)
set(found "")
foreach(source IN LISTS sources)
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "ZARN_NOT_BUILT\\(\"")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "ZARN_NOT_BUILT\\(\"([^\"]*)\"" _ "${line}")
    message(STATUS "not built: ${CMAKE_MATCH_1} (${source})")
    list(APPEND found "${CMAKE_MATCH_1}")
  endforeach()
endforeach()
list(SORT found)
file(STRINGS ${SOURCE_DIR}/tests/not_built.txt expected REGEX "^[^#]")
list(SORT expected)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "Bodies still not built: [${found}]\ntests/not_built.txt lists: [${expected}]")
endif()
list(LENGTH found count)
message(STATUS "${count} operations not built yet")
