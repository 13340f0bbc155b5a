# Run by CPack on its staging folder: strips every ELF file the way Debian's
# packaging does (unneeded symbols, and the .comment and .note sections).
find_program(STRIP_PROGRAM NAMES strip REQUIRED)
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND ${STRIP_PROGRAM} --remove-section=.comment --remove-section=.note --strip-unneeded
                            "${file}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "strip failed on ${file}")
    endif()
  endif()
endforeach()
