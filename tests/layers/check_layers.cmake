# Runs the layer rule's probes (see CMakeLists.txt beside) and the relative
# include check. Arguments: BUILD_DIR, SOURCE_DIR, ALLOWED (probe targets),
# REFUSED (probe=header pairs).

function(build_probe probe result output)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${probe}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${result} ${rc} PARENT_SCOPE)
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

set(faults "")
foreach(probe IN LISTS ALLOWED)
  build_probe(${probe} rc out)
  if(NOT rc EQUAL 0)
    string(APPEND faults "${probe} must build and did not:\n${out}\n")
  endif()
endforeach()

foreach(pair IN LISTS REFUSED)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 probe)
  list(GET parts 1 header)
  build_probe(${probe} rc out)
  if(rc EQUAL 0)
    string(APPEND faults "${probe} built: ${header} is reachable from a layer below it\n")
  elseif(NOT out MATCHES "${header}: No such file or directory")
    string(APPEND faults "${probe} failed, but not for want of ${header}:\n${out}\n")
  endif()
endforeach()

# "../x.h" from a file would name a folder by where the file sits and step
# around the include roots; so would "core/../app/x.h".
file(GLOB_RECURSE sources ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
foreach(file IN LISTS sources)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\.")
  foreach(line IN LISTS lines)
    string(APPEND faults "${file}: relative include: ${line}\n")
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "${faults}")
endif()
list(LENGTH ALLOWED allowed)
list(LENGTH REFUSED refused)
message(STATUS "layer rule: ${allowed} allowed probes built, ${refused} upward includes refused, no relative includes")
