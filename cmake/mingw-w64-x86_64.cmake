# Cross toolchain: Windows x86_64 with mingw-w64 (posix threads; GoogleTest needs std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_tc x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_tc}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_tc}-g++-posix)
set(CMAKE_RC_COMPILER  ${_tc}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_tc})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static: the .exe imports only system DLLs and runs in a bare Wine prefix.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
