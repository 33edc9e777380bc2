# Run by CPack on the staged files before it packs them: strips the commands
# as Debian's dh_strip does, without the sections a stripped program does not
# need (the compiler's .comment, .note).
# Each package's files are staged in a folder of its own below the directory.
file(GLOB commands "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*" "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/bin/*")
foreach(command ${commands})
  execute_process(
    COMMAND ${CPACK_PCZN_STRIP} --remove-section=.comment --remove-section=.note ${command}
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip failed on ${command}")
  endif()
endforeach()
