# qvset_warnings: the project's warning set, as an interface target linked by every target of ours.
add_library(qvset_warnings INTERFACE)
target_compile_options(qvset_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wold-style-cast -Wshadow -Wnon-virtual-dtor)
if(QVSET_WERROR)
  target_compile_options(qvset_warnings INTERFACE -Werror)
endif()
