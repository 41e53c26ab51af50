# The release bundle: the driver, the 64-bit driver in x64, the test program,
# the registration command files and the readme in <build>/dist/Notarel, and
# the same folder zipped as <build>/dist/Notarel.zip. The text files get
# Windows line ends. The 64-bit driver comes from the 64-bit tree
# (scripts/build-win64.sh), built before this target.
set(NOTAREL_WIN64_DLL "${PROJECT_SOURCE_DIR}/build/win64/driver/automation/Notarel.dll" CACHE FILEPATH
    "The 64-bit Notarel.dll that the release bundle carries in its x64 folder")
set(_dist_root ${CMAKE_BINARY_DIR}/dist)
set(_dist_dir ${_dist_root}/Notarel)
set(_dist_text ${CMAKE_CURRENT_BINARY_DIR}/dist_text)
# The target runs in this folder, which must exist before its first build.
file(MAKE_DIRECTORY ${_dist_root})
foreach(_file register.cmd unregister.cmd readme.txt)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/dist/${_file} ${_dist_text}/${_file}
                 @ONLY NEWLINE_STYLE CRLF)
endforeach()

add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_dist_dir} ${_dist_root}/Notarel.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_dist_dir}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Notarel> ${_dist_dir}/Notarel.dll
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_dist_dir}/x64
  COMMAND ${CMAKE_COMMAND} -E copy ${NOTAREL_WIN64_DLL} ${_dist_dir}/x64/Notarel.dll
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Notaprobe> ${_dist_dir}/Notaprobe.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${_dist_text}/register.cmd ${_dist_text}/unregister.cmd
          ${_dist_text}/readme.txt ${_dist_dir}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${_dist_root}/Notarel.zip --format=zip Notarel
  WORKING_DIRECTORY ${_dist_root}
  COMMENT "Release bundle: ${_dist_dir} and Notarel.zip"
  VERBATIM)
add_dependencies(dist Notarel Notaprobe)
