# qvset_warnings: the project's warning set, as an interface target linked by every target of ours.
add_library(qvset_warnings INTERFACE)
target_compile_options(qvset_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wold-style-cast -Wshadow -Wnon-virtual-dtor)
if(QVSET_WERROR)
  target_compile_options(qvset_warnings INTERFACE -Werror)
endif()
# GCC 12 reports impossible overlaps inside std::string assignments at -O2 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(qvset_warnings INTERFACE -Wno-restrict)
endif()
