# vornel-convert's Debian package, made by CPack's DEB generator from a native Release build
# (packaging/deb.sh): /usr/bin/vornel-convert, its manual page in English and in Japanese
# (ja/), and the copyright file and
# changelog that Debian's policy asks for, the compressed ones with gzip -9n.
set(VORNEL_DEB_DOCS share/doc/vornel-convert)
foreach(file IN ITEMS vornel-convert.1 ja/vornel-convert.1 changelog)
  add_custom_command(OUTPUT ${file}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ja
                     COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/deb/${file} > ${file}.gz
                     DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/deb/${file})
endforeach()
add_custom_target(vornel_deb_files ALL
                  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/vornel-convert.1.gz
                          ${CMAKE_CURRENT_BINARY_DIR}/ja/vornel-convert.1.gz
                          ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

set(VORNEL_DEB_FILE_MODE OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS vornel-convert RUNTIME DESTINATION bin)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vornel-convert.1.gz DESTINATION share/man/man1
        PERMISSIONS ${VORNEL_DEB_FILE_MODE})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ja/vornel-convert.1.gz DESTINATION share/man/ja/man1
        PERMISSIONS ${VORNEL_DEB_FILE_MODE})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz deb/copyright
        DESTINATION ${VORNEL_DEB_DOCS} PERMISSIONS ${VORNEL_DEB_FILE_MODE})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornel-convert)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vornel project <vornel@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # vornel-convert_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "convert binary numbers to decimal, one a line\n"
       "vornel-convert reads a text of unsigned binary numbers (0 and 1), one a line,\n"
       "and writes their decimal values, one a line, with the rules of the Vornel\n"
       "program: blank lines are skipped, at most 31 characters a line, the largest\n"
       "value is 2147483647. The conversion is all or nothing, memory stays flat\n"
       "whatever the input's size, and the input may be UTF-8 or UTF-16LE.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)

# The package made from a build of its own, checked by lintian, unpacked and run.
if(VORNEL_TESTS)
  add_test(NAME vornel_deb COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/deb_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(vornel_deb PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
endif()
