# Cross-build for 64-bit Windows. Not for the deliverables, which are 32-bit
# (mingw-i686.cmake): this builds the same sources for test hosts whose kernel
# cannot execute 32-bit code, where only Wine's 64-bit loader runs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(NOTAREL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
