# The release package: `cmake --build --preset windows --target package`
# makes build/windows/KeshBat-<version>-windows.zip holding KeshBat.exe
# (x86-64), KeshBat-x86.exe (the 32-bit build), a sample patch.ini and the
# player's guide, in one top folder.
#
# Only the 64-bit Windows tree packages; it builds the 32-bit exe itself,
# in a tree of its own inside this one, when the package is made.
if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  return()
endif()

set(KESHBAT_X86_BINARY_DIR "${CMAKE_BINARY_DIR}/package-x86")

install(TARGETS KeshBat RUNTIME DESTINATION .)

install(CODE "
  if(NOT EXISTS \"${KESHBAT_X86_BINARY_DIR}/CMakeCache.txt\")
    execute_process(
      COMMAND \"${CMAKE_COMMAND}\" -S \"${CMAKE_SOURCE_DIR}\" -B \"${KESHBAT_X86_BINARY_DIR}\"
              -G \"${CMAKE_GENERATOR}\"
              \"-DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-i686.cmake\"
              -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
      RESULT_VARIABLE status)
    if(status)
      message(FATAL_ERROR \"configuring the 32-bit build failed\")
    endif()
  endif()
  execute_process(
    COMMAND \"${CMAKE_COMMAND}\" --build \"${KESHBAT_X86_BINARY_DIR}\" --target KeshBat
    RESULT_VARIABLE status)
  if(status)
    message(FATAL_ERROR \"the 32-bit build failed\")
  endif()
")
install(PROGRAMS "${KESHBAT_X86_BINARY_DIR}/KeshBat.exe" DESTINATION . RENAME KeshBat-x86.exe)

install(FILES
  "${CMAKE_SOURCE_DIR}/packaging/patch.ini"
  "${CMAKE_SOURCE_DIR}/docs/user-guide.txt"
  DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KeshBat)
set(CPACK_PACKAGE_VENDOR "KeshBat developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
# Kept apart: including CPack leaves CPACK_PACKAGE_FILE_NAME at the source
# package's name.
set(KESHBAT_PACKAGE_NAME "KeshBat-${PROJECT_VERSION}-windows")
set(CPACK_PACKAGE_FILE_NAME "${KESHBAT_PACKAGE_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Runs the patch scripts of four flight-combat games")
set(CPACK_SOURCE_GENERATOR ZIP)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")
include(CPack)

# Makes the package and checks that it holds exactly what a player needs,
# each exe built for its processor.
if(BUILD_TESTING)
  add_test(NAME package_contents
    COMMAND "${CMAKE_COMMAND}"
            "-DBINARY_DIR=${CMAKE_BINARY_DIR}"
            "-DSOURCE_DIR=${CMAKE_SOURCE_DIR}"
            "-DPACKAGE=${CMAKE_BINARY_DIR}/${KESHBAT_PACKAGE_NAME}.zip"
            "-DTOP=${KESHBAT_PACKAGE_NAME}"
            -P "${CMAKE_SOURCE_DIR}/packaging/check-package.cmake")
  # It builds the 32-bit exe: alone, so that it slows no timed test.
  set_tests_properties(package_contents PROPERTIES LABELS package TIMEOUT 900 RUN_SERIAL TRUE)
endif()
