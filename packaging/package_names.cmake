# Read by cpack for each generator: the two packages' file names tell them apart.
if(CPACK_GENERATOR STREQUAL "ZIP")
  string(APPEND CPACK_PACKAGE_FILE_NAME "-portable")
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  string(APPEND CPACK_PACKAGE_FILE_NAME "-setup")
endif()
