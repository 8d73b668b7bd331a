# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (the posix thread model, so that
# std::thread and std::mutex exist). The runtime is linked statically: the .exe files run on Windows and
# under Wine without any MinGW DLL beside them. Tests run through Wine (CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_qvset_mingw x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${_qvset_mingw}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${_qvset_mingw}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${_qvset_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_qvset_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs every Windows test executable through Wine; scripts/test-windows.sh provides the prefix.
find_program(QVSET_WINE NAMES wine)
if(QVSET_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QVSET_WINE})
endif()
