# Cross-build for 64-bit Windows: the 64-bit Notarel.dll, a deliverable beside
# the 32-bit one (scripts/build-win64.sh), and on test hosts whose kernel
# cannot execute 32-bit code, where only Wine's 64-bit loader runs, the same
# sources as every test program (scripts/build-wine-tests.sh).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(NOTAREL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
