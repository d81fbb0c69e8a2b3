# Run by cpack on the packages it made, before it copies them out: the mode
# of each member in a package's ar header (debian-binary, control.tar.*,
# data.tar.*) comes from the umask cpack ran under; it is set to 0644 as
# dpkg-deb writes it, so the packages' bytes do not depend on the umask.
# An ar member's header is 60 bytes: name 16, time 12, owner 6, group 6,
# mode 8 (at 40), size 10 (at 48), end 2; its data follows, padded to even.
set(mode_file "${CPACK_TEMPORARY_DIRECTORY}/ar-member-mode")
file(WRITE "${mode_file}" "100644  ")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(READ "${package}" magic LIMIT 8)
  if(NOT magic STREQUAL "!<arch>\n")
    message(FATAL_ERROR "${package} is no ar archive")
  endif()
  file(SIZE "${package}" total)
  set(header 8)
  while(header LESS total)
    math(EXPR mode_at "${header} + 40")
    math(EXPR size_at "${header} + 48")
    file(READ "${package}" mode OFFSET ${mode_at} LIMIT 8)
    file(READ "${package}" size OFFSET ${size_at} LIMIT 10)
    string(STRIP "${size}" size)
    if(NOT size MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${package}: no ar member header at ${header}")
    endif()
    if(NOT mode STREQUAL "100644  ")
      execute_process(COMMAND dd "of=${package}" bs=1 seek=${mode_at} count=8 conv=notrunc status=none
        INPUT_FILE "${mode_file}" COMMAND_ERROR_IS_FATAL ANY)
    endif()
    math(EXPR header "${header} + 60 + ${size} + ${size} % 2")
  endwhile()
endforeach()
file(REMOVE "${mode_file}")
