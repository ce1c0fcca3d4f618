# Compile options shared by every target of the project (not by third-party code).
add_library(jyx_options INTERFACE)
target_compile_options(jyx_options INTERFACE -Wall -Wextra -Wpedantic)
if(JYX_WERROR)
  target_compile_options(jyx_options INTERFACE -Werror)
endif()
target_include_directories(jyx_options INTERFACE ${PROJECT_SOURCE_DIR})

# Debug sections compressed: the tests are many executables, each carrying the whole tree.
add_compile_options(-gz)
add_link_options(-gz)

if(JYX_SANITIZE)
  set(_jyx_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_jyx_san})
  add_link_options(-fsanitize=address,undefined)
endif()

if(JYX_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds a static library for one layer of the tree. Usage:
#   jyx_add_layer(sdk_base SOURCES a.cpp b.cpp DEPS sdk_platform LIBS OpenSSL::Crypto)
function(jyx_add_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS;LIBS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_link_libraries(${name} PUBLIC jyx_options ${L_DEPS} ${L_LIBS})
endfunction()
