# Fails listing every C++ file that clang-format would change. One run over
# all the files: a run per file spent its time starting clang-format.
file(GLOB_RECURSE files
  ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h
  ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
  ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/fuzz/*.cpp)
execute_process(COMMAND ${CLANG_FORMAT} --style=file --dry-run -Werror ${files}
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE complaints)
if(NOT result EQUAL 0)
  string(REGEX MATCHALL "[^\n]+:[0-9]+:[0-9]+: error" lines "${complaints}")
  set(unformatted "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error$" "" file "${line}")
    list(APPEND unformatted ${file})
  endforeach()
  list(REMOVE_DUPLICATES unformatted)
  list(JOIN unformatted "\n  " listing)
  message(FATAL_ERROR "Not formatted with clang-format:\n  ${listing}\n${complaints}")
endif()
