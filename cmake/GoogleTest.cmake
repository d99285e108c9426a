# GoogleTest from the sources Debian installs; nothing is downloaded.
set(ZQ_GOOGLETEST_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${ZQ_GOOGLETEST_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${ZQ_GOOGLETEST_DIR}: run scripts/setup (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${ZQ_GOOGLETEST_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# One test binary per call; tests are discovered when ctest runs (under wine for
# the Windows preset, where start-up is slow, hence the generous timeout).
# RESOURCE_LOCK names something outside the tests that they share (a virtual
# device), so ctest runs them one at a time.
function(zq_add_test_binary name)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main zq_warnings)
  set(properties TIMEOUT 300)
  if(ARG_RESOURCE_LOCK)
    list(APPEND properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 240
                       PROPERTIES ${properties})
endfunction()
