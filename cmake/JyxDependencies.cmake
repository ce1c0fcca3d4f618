# Third-party libraries, all from Debian's packages.
find_package(Threads REQUIRED)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)

find_path(RAPIDJSON_INCLUDE_DIR rapidjson/document.h REQUIRED)
add_library(jyx_rapidjson INTERFACE)
target_include_directories(jyx_rapidjson SYSTEM INTERFACE ${RAPIDJSON_INCLUDE_DIR})
# Size types follow the target's pointer width; 64-bit integers are always available.
target_compile_definitions(jyx_rapidjson INTERFACE RAPIDJSON_HAS_STDSTRING=1)

find_path(YAML_INCLUDE_DIR yaml.h REQUIRED)
find_library(YAML_LIBRARY yaml REQUIRED)
add_library(jyx_yaml INTERFACE)
target_include_directories(jyx_yaml SYSTEM INTERFACE ${YAML_INCLUDE_DIR})
target_link_libraries(jyx_yaml INTERFACE ${YAML_LIBRARY})

if(JYX_BUILD_TESTS AND NOT JYX_BUILD_FUZZ)
  # Built from source so that it gets the same flags (-m32 included) as the project.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  include(GoogleTest)
endif()

if(JYX_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
