# Fails when a C++ file below src/, tests/, tools/, bench/ or fuzz/ is not
# formatted as .clang-format says. Run: cmake -DCLANG_FORMAT=... -DSOURCE_DIR=... -P CheckFormat.cmake
set(_files "")
foreach(_dir src tests tools bench fuzz)
  file(GLOB_RECURSE _found "${SOURCE_DIR}/${_dir}/*.cpp" "${SOURCE_DIR}/${_dir}/*.h")
  list(APPEND _files ${_found})
endforeach()
list(LENGTH _files _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "no source files found below ${SOURCE_DIR}")
endif()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${_files}
  WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE _result ERROR_VARIABLE _errors)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "files not formatted with .clang-format (run clang-format -i on them):\n${_errors}")
endif()
message(STATUS "${_count} files formatted")
