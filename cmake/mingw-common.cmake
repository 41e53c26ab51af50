# Shared part of the mingw-w64 toolchain files: the compilers of the triple in
# NOTAREL_MINGW_TRIPLE (POSIX thread model), the sysroot, and a static compiler
# runtime (libgcc, libstdc++, winpthread), so the programs and the DLL import
# only system DLLs and run on a bare Windows or in a fresh Wine prefix.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${NOTAREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NOTAREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NOTAREL_MINGW_TRIPLE}-windres)

# Headers and libraries come from the mingw sysroot only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${NOTAREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static makes the linker take libwinpthread.a instead of its DLL import library.
set(_notarel_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_notarel_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_notarel_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_notarel_static_runtime}")
unset(_notarel_static_runtime)
