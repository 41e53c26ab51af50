# The Windows test programs as ctest tests run under Wine. Included by the top
# CMakeLists.txt of a Windows build before any target, because the emulator
# (cmake/wine/run.sh) must be set before the programs are defined.
#
# What the programs need is made by fixtures, each a setup and a cleanup test
# that ctest runs only when a chosen test needs them:
#   Locales     the ru_RU and fr_FR locales (Wine's ANSI code page follows them)
#   Display     a virtual X display (Xvfb) for the programs that open windows
#   WineServer  the build's Wine prefix and a persistent Wine server of our own,
#               with COM5 listed among the registry's serial ports
#   Emulator    the native rud003-emu behind COM5 of the prefix
#   Emulators   three more behind COM6 to COM8, for several acceptors in one process
#   Registered_<folder>  regsvr32 of the Notarel.dll beside that folder's programs
# so that `ctest -R automation` starts the server and the emulator, registers
# the DLL, runs the suite and cleans up again.

# Wine's loader follows the toolchain: 64-bit programs run under wine64.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(NOTAREL_WINE_ARCH win64)
else()
  set(NOTAREL_WINE_ARCH win32)
endif()
set(NOTAREL_EMULATOR "${PROJECT_SOURCE_DIR}/build/asan/tools/emu/rud003-emu" CACHE FILEPATH
    "The native build's rud003-emu, which the Windows tests reach behind COM5")
set(NOTAREL_WINE_TIMEOUT 900 CACHE STRING "Seconds one Windows test program may run under Wine")

set(_wine_scripts ${PROJECT_SOURCE_DIR}/cmake/wine)
set(_wine_config ${CMAKE_BINARY_DIR}/wine-tests.env)
set(_wine_state ${CMAKE_BINARY_DIR}/wine-run)
file(WRITE ${_wine_config}
  "NOTAREL_WINE_ARCH=${NOTAREL_WINE_ARCH}\n"
  "NOTAREL_WINE_BUILD='${CMAKE_BINARY_DIR}'\n"
  "NOTAREL_EMULATOR='${NOTAREL_EMULATOR}'\n")
set(CMAKE_CROSSCOMPILING_EMULATOR bash ${_wine_scripts}/run.sh ${_wine_config})

# The emulator's line is a pseudo-terminal, which cannot hold even parity; the
# preloaded shim of tests/wine/pty_line_shim.c makes it behave as a serial port.
# Built with the host's compiler for both of Wine's loaders; ld.so picks the one
# of each process through $LIB (run.sh).
find_program(NOTAREL_HOST_CC NAMES cc gcc REQUIRED)
set(_shim_source ${PROJECT_SOURCE_DIR}/tests/wine/pty_line_shim.c)
set(_shims)
foreach(_multiarch x86_64-linux-gnu:-m64 i386-linux-gnu:-m32)
  string(REGEX REPLACE ":.*" "" _lib ${_multiarch})
  string(REGEX REPLACE ".*:" "" _flag ${_multiarch})
  set(_shim ${_wine_state}/lib/${_lib}/notarel_pty_line.so)
  add_custom_command(OUTPUT ${_shim}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_wine_state}/lib/${_lib}
    COMMAND ${NOTAREL_HOST_CC} ${_flag} -O2 -shared -fPIC -nostdlib -ffreestanding -o ${_shim}
            ${_shim_source}
    DEPENDS ${_shim_source}
    COMMENT "pty parity shim (${_lib})"
    VERBATIM)
  list(APPEND _shims ${_shim})
endforeach()
add_custom_target(notarel_pty_line_shim ALL DEPENDS ${_shims})

# One fixture: its setup and cleanup tests (cmake/wine/fixture.sh ACTION).
function(_notarel_wine_fixture fixture setup_name setup_action cleanup_name cleanup_action)
  add_test(NAME ${setup_name} COMMAND bash ${_wine_scripts}/fixture.sh ${_wine_config} ${setup_action})
  set_tests_properties(${setup_name} PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 400 LABELS wine)
  if(cleanup_name)
    add_test(NAME ${cleanup_name}
             COMMAND bash ${_wine_scripts}/fixture.sh ${_wine_config} ${cleanup_action})
    set_tests_properties(${cleanup_name} PROPERTIES FIXTURES_CLEANUP ${fixture} TIMEOUT 120
                         LABELS wine)
  endif()
endfunction()

_notarel_wine_fixture(Locales fixture.locales locales "" "")
_notarel_wine_fixture(Display fixture.display display-start fixture.display.stop display-stop)
_notarel_wine_fixture(WineServer fixture.wineserver server-start fixture.wineserver.stop server-stop)
_notarel_wine_fixture(Emulator fixture.emulator emulator-start fixture.emulator.stop emulator-stop)
# The server's desktop belongs to the display: when both are wanted, the display
# comes first and goes last. The emulator's link lives in the prefix.
set_tests_properties(fixture.wineserver PROPERTIES FIXTURES_REQUIRED Locales DEPENDS fixture.display)
set_tests_properties(fixture.display.stop PROPERTIES DEPENDS fixture.wineserver.stop)
set_tests_properties(fixture.emulator fixture.emulator.stop PROPERTIES FIXTURES_REQUIRED WineServer)
_notarel_wine_fixture(Emulators fixture.emulators emulators-start fixture.emulators.stop emulators-stop)
set_tests_properties(fixture.emulators fixture.emulators.stop PROPERTIES FIXTURES_REQUIRED WineServer)

# regsvr32 of the Notarel.dll in FOLDER (a binary directory of the tests). The
# registration names one file, so the folders take turns: each registration
# waits for the previous folder's to be undone.
function(_notarel_wine_register folder)
  get_filename_component(_name ${folder} NAME)
  set(_fixture Registered_${_name})
  get_property(_done GLOBAL PROPERTY NOTAREL_WINE_REGISTERED)
  if(_fixture IN_LIST _done)
    return()
  endif()
  _notarel_wine_fixture(${_fixture} fixture.regsvr32.${_name} "register;${folder}/Notarel.dll"
                        fixture.regsvr32.${_name}.undo "unregister;${folder}/Notarel.dll")
  set_tests_properties(fixture.regsvr32.${_name} fixture.regsvr32.${_name}.undo
                       PROPERTIES FIXTURES_REQUIRED WineServer)
  get_property(_previous GLOBAL PROPERTY NOTAREL_WINE_LAST_UNDO)
  if(_previous)
    set_tests_properties(fixture.regsvr32.${_name} PROPERTIES DEPENDS ${_previous})
  endif()
  set_property(GLOBAL PROPERTY NOTAREL_WINE_LAST_UNDO fixture.regsvr32.${_name}.undo)
  set_property(GLOBAL APPEND PROPERTY NOTAREL_WINE_REGISTERED ${_fixture})
endfunction()

# One run of a Windows test program under Wine, as ctest test NAME:
#   notarel_wine_test(NAME TARGET [EMULATOR] [EMULATORS] [DISPLAY] [REGISTERED]
#                     [LOCALE L] [CODE_PAGE N] [FILTER GTEST_FILTER] [TIMEOUT S]
#                     [CONFIGURATION C])
# EMULATOR: talks to the emulator behind COM5 (one such test at a time).
# EMULATORS: talks to the emulators behind COM5 to COM8 (EmulatorPeer::StartAt).
# DISPLAY: opens windows. REGISTERED: needs the Notarel.dll beside it registered.
# LOCALE and CODE_PAGE: the C library's locale, and the ANSI code page the
# tests then expect (NOTAREL_ANSI_CODE_PAGE). FILTER: the gtest filter.
# CONFIGURATION: run only on request, by ctest -C C.
function(notarel_wine_test name target)
  cmake_parse_arguments(PARSE_ARGV 2 arg "EMULATOR;EMULATORS;DISPLAY;REGISTERED" "LOCALE;CODE_PAGE;FILTER;TIMEOUT;CONFIGURATION" "")
  set(_args)
  if(arg_FILTER)
    set(_args --gtest_filter=${arg_FILTER})
  endif()
  if(arg_CONFIGURATION)
    list(APPEND _args CONFIGURATIONS ${arg_CONFIGURATION})
  endif()
  add_test(NAME ${name} COMMAND ${target} ${_args} WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>)
  set(_fixtures WineServer)
  set(_labels wine)
  set(_env)
  if(arg_EMULATOR)
    list(APPEND _fixtures Emulator)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK notarel_com5)
  endif()
  if(arg_EMULATORS)
    list(APPEND _fixtures Emulator Emulators)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "notarel_com5;notarel_com6_8")
  else()
    # Every other program sees COM6 to COM8 without a device (the searches
    # list every port), so it runs once the extra emulators are gone.
    set_tests_properties(${name} PROPERTIES DEPENDS fixture.emulators.stop)
  endif()
  if(arg_DISPLAY)
    list(APPEND _fixtures Display)
    list(APPEND _labels window)
    list(APPEND _env NOTAREL_WINE_DISPLAY=1)
  endif()
  if(arg_REGISTERED)
    get_target_property(_folder ${target} BINARY_DIR)
    _notarel_wine_register(${_folder})
    get_filename_component(_folder_name ${_folder} NAME)
    list(APPEND _fixtures Registered_${_folder_name})
  endif()
  if(arg_LOCALE)
    list(APPEND _fixtures Locales)
    list(APPEND _env LC_ALL=${arg_LOCALE})
  endif()
  if(arg_CODE_PAGE)
    list(APPEND _env NOTAREL_ANSI_CODE_PAGE=${arg_CODE_PAGE})
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT ${NOTAREL_WINE_TIMEOUT})
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${_fixtures}" LABELS "${_labels}"
                       TIMEOUT ${arg_TIMEOUT})
  if(_env)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${_env}")
  endif()
endfunction()

# A test that is a shell script rather than one Windows program, as ctest test
# NAME: bash SCRIPT CONFIG ARGUMENTS..., where CONFIG is this build's
# wine-tests.env (for cmake/wine/env.sh and run.sh). It gets the Wine server and
# the emulator behind COM5, under the Russian locale.
function(notarel_wine_script_test name script)
  add_test(NAME ${name} COMMAND bash ${script} ${_wine_config} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "WineServer;Emulator;Locales"
                       RESOURCE_LOCK notarel_com5 LABELS wine TIMEOUT ${NOTAREL_WINE_TIMEOUT})
endfunction()
