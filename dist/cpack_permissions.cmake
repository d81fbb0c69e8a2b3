# Run by cpack on the staged files before it packs them: folders 0755, files
# readable by all and writable by their owner alone, programs executable by
# all, whatever umask the build and install ran under.
if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
  message(FATAL_ERROR "no staging folder to set modes in: '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
execute_process(COMMAND chmod -R u+rwX,go+rX,go-w "${CPACK_TEMPORARY_DIRECTORY}" COMMAND_ERROR_IS_FATAL ANY)
