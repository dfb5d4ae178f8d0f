# Makes the release zip and checks it: exactly the two exes, patch.ini and
# the guide under one top folder, KeshBat.exe built for x86-64 and
# KeshBat-x86.exe for 32-bit x86, patch.ini naming \KeshPatch, and the
# guide as it stands in docs/.
# Run by the package_contents test:
#   cmake -DBINARY_DIR=... -DSOURCE_DIR=... -DPACKAGE=....zip -DTOP=... -P check-package.cmake

function(fail text)
  message(FATAL_ERROR "package check: ${text}")
endfunction()

file(REMOVE "${PACKAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY_DIR}" --target package
                RESULT_VARIABLE status)
if(status)
  fail("building the package failed")
endif()
if(NOT EXISTS "${PACKAGE}")
  fail("${PACKAGE} was not made")
endif()

set(unpacked "${BINARY_DIR}/package-check")
file(REMOVE_RECURSE "${unpacked}")
file(MAKE_DIRECTORY "${unpacked}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${PACKAGE}"
                WORKING_DIRECTORY "${unpacked}" RESULT_VARIABLE status)
if(status)
  fail("${PACKAGE} does not unpack")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${unpacked}" "${unpacked}/*")
list(SORT files)
set(expected "${TOP}/KeshBat-x86.exe" "${TOP}/KeshBat.exe" "${TOP}/patch.ini" "${TOP}/user-guide.txt")
list(SORT expected)
if(NOT files STREQUAL expected)
  fail("the zip holds [${files}] instead of [${expected}]")
endif()

# The machine field of the PE header: 0x8664 for x86-64, 0x014c for x86.
function(check_machine exe wanted)
  set(path "${unpacked}/${TOP}/${exe}")
  file(READ "${path}" mz LIMIT 2 HEX)
  if(NOT mz STREQUAL "4d5a")
    fail("${exe} is no Windows program")
  endif()
  file(READ "${path}" offset_hex OFFSET 60 LIMIT 4 HEX)
  string(REGEX REPLACE "^(..)(..)(..)(..)$" "\\4\\3\\2\\1" offset_hex "${offset_hex}")
  math(EXPR offset "0x${offset_hex}")
  file(READ "${path}" header OFFSET ${offset} LIMIT 6 HEX)
  string(REGEX REPLACE "^50450000(..)(..)$" "\\2\\1" machine "${header}")
  if(NOT machine STREQUAL wanted)
    fail("${exe} is built for machine 0x${machine}, not 0x${wanted} (header ${header})")
  endif()
endfunction()
check_machine(KeshBat.exe 8664)
check_machine(KeshBat-x86.exe 014c)

file(READ "${unpacked}/${TOP}/patch.ini" ini)
if(NOT ini MATCHES "^\\\\KeshPatch[ \t\r\n]")
  fail("patch.ini does not start with the word \\KeshPatch")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
                "${unpacked}/${TOP}/user-guide.txt" "${SOURCE_DIR}/docs/user-guide.txt"
                RESULT_VARIABLE status)
if(status)
  fail("user-guide.txt in the zip differs from docs/user-guide.txt")
endif()

file(REMOVE_RECURSE "${unpacked}")
message(STATUS "package check: ${PACKAGE} holds ${files}")
