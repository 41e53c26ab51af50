# The Linux tools as a Debian package: `cpack -G DEB` in a Release tree
# (scripts/test-deb.sh). It holds notarel and rud003-emu in /usr/bin, their
# manual pages, the emulator's README and the changelog, compressed as Debian
# does, and the copyright file.
include(GNUInstallDirs)

set(_notarel_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/notarel)
set(_notarel_gz_dir ${CMAKE_BINARY_DIR}/package)
set(_notarel_gz_files)
# Copies a file into the package folder (through configure_file, so the
# version is filled in) and compresses it with gzip -9n, which keeps neither
# name nor time stamp and so gives the same bytes on every build.
function(notarel_gzipped source name mode)
  configure_file(${source} ${_notarel_gz_dir}/${name} ${mode})
  add_custom_command(OUTPUT ${_notarel_gz_dir}/${name}.gz
    COMMAND gzip -9nkf ${_notarel_gz_dir}/${name}
    DEPENDS ${_notarel_gz_dir}/${name}
    VERBATIM)
  set(_notarel_gz_files ${_notarel_gz_files} ${_notarel_gz_dir}/${name}.gz PARENT_SCOPE)
endfunction()

notarel_gzipped(${PROJECT_SOURCE_DIR}/doc/man/notarel.1 notarel.1 @ONLY)
notarel_gzipped(${PROJECT_SOURCE_DIR}/doc/man/rud003-emu.1 rud003-emu.1 @ONLY)
notarel_gzipped(${PROJECT_SOURCE_DIR}/tools/emu/README.md README.rud003-emu.md COPYONLY)
notarel_gzipped(${PROJECT_SOURCE_DIR}/doc/debian/changelog changelog @ONLY)
add_custom_target(notarel_package_files ALL DEPENDS ${_notarel_gz_files})

install(TARGETS notarel rud003-emu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_notarel_gz_dir}/notarel.1.gz ${_notarel_gz_dir}/rud003-emu.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_notarel_gz_dir}/README.rud003-emu.md.gz ${_notarel_gz_dir}/changelog.gz
              ${PROJECT_SOURCE_DIR}/doc/debian/copyright
        DESTINATION ${_notarel_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME notarel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Notarel maintainers <maintainers@notarel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "RUD-003 bill acceptor: command-line tool and device emulator")
# Lines of the long description, each shorter than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "\
notarel runs the members of the Notarel driver from the command line against
a RUD-003 bill acceptor on a serial line: single device commands, or polling
that takes bills, answers each one by a policy and prints every event.
rud003-emu plays the acceptor on a pseudo-terminal, so that the tool and other
software can be tried without the hardware.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
