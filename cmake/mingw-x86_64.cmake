# Cross-build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model).
#
# Not for the deliverables, which are 32-bit (mingw-i686.cmake): this builds the
# same sources for test hosts whose kernel cannot execute 32-bit code, where
# only Wine's 64-bit loader runs. Same static runtime as the 32-bit build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(NOTAREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NOTAREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NOTAREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NOTAREL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NOTAREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(_notarel_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_notarel_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_notarel_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_notarel_static_runtime}")
unset(_notarel_static_runtime)
