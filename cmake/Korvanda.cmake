# kv_library(NAME DIR [DEPS ...]): one static library per source folder. Sources are
# every .cpp/.h directly in DIR; main.cpp files never belong to a library.
function(kv_library name)
  cmake_parse_arguments(KV "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER _src EXCLUDE REGEX "/main\\.cpp$")
  if(NOT _src)
    # A subsystem whose code has not landed yet still gets a target, so the
    # dependency graph stays the same from the first commit on.
    set(_src ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${_src})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${KV_DEPS})
endfunction()

# kv_test(NAME DIR LIBS...): one GoogleTest executable per test folder.
function(kv_test name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE kv_testmain ${ARGN})
  target_compile_definitions(${name} PRIVATE KV_APP_DIR="${KORVANDA_APP_DIR}" KV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KV_APP_DIR=${KORVANDA_APP_DIR}")
endfunction()
