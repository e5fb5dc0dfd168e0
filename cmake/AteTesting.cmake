# Test helpers. Every test is one executable registered with CTest.

# The PostgreSQL cases skip themselves without ATE_TEST_PG; this one says so
# in ctest's summary instead of letting a plain ctest look complete.
if(BUILD_TESTING)
  add_test(NAME postgresql_cases_need_ATE_TEST_PG COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/pg_cases.sh)
  set_tests_properties(postgresql_cases_need_ATE_TEST_PG PROPERTIES SKIP_RETURN_CODE 77)
endif()

# GoogleTest executable for code without a GUI.
# Without BUILD_TESTING both helpers add nothing.
function(ate_add_gtest target)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${target} COMMAND ${target})
endfunction()

# Qt warns (and the warning is fatal in tests) when XDG_RUNTIME_DIR is unset,
# as it is for root sessions and CI: give the tests a private one.
set(ATE_TEST_RUNTIME_DIR ${CMAKE_BINARY_DIR}/xdg-runtime)
file(MAKE_DIRECTORY ${ATE_TEST_RUNTIME_DIR})
file(CHMOD ${ATE_TEST_RUNTIME_DIR} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# Qt Test executable. Runs offscreen; any Qt warning aborts the test, so a
# warning fails it; a hung modal dialog is ended by the function timeout.
function(ate_add_qtest target)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;QT_FATAL_WARNINGS=1;QTEST_FUNCTION_TIMEOUT=60000;LC_ALL=C.UTF-8;XDG_RUNTIME_DIR=${ATE_TEST_RUNTIME_DIR}")
endfunction()
