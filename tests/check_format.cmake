# Fails listing every C++ file that clang-format would change.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h
  ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
  ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/fuzz/*.cpp)
set(unformatted "")
foreach(file IN LISTS files)
  execute_process(COMMAND ${CLANG_FORMAT} --style=file --dry-run -Werror ${file}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  if(NOT result EQUAL 0)
    list(APPEND unformatted ${file})
  endif()
endforeach()
if(unformatted)
  list(JOIN unformatted "\n  " listing)
  message(FATAL_ERROR "Not formatted with clang-format:\n  ${listing}")
endif()
