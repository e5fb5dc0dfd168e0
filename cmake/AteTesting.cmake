# Test helpers. Every test is one executable registered with CTest.

# The PostgreSQL cases skip themselves without ATE_TEST_PG; this one says so
# in ctest's summary instead of letting a plain ctest look complete.
if(BUILD_TESTING)
  add_test(NAME postgresql_cases_need_ATE_TEST_PG COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/pg_cases.sh)
  set_tests_properties(postgresql_cases_need_ATE_TEST_PG PROPERTIES SKIP_RETURN_CODE 77)
endif()

# The users' locale is the tests' locale: Brazilian Portuguese, the
# product's first language. The GUI and end-to-end tests run once more in
# English (ENGLISH_TOO), under the name <test>_en_US. setup.sh generates
# both locales.
set(ATE_TEST_LOCALE "LANG=pt_BR.UTF-8;LC_ALL=pt_BR.UTF-8")
set(ATE_TEST_LOCALE_EN "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8")

# GoogleTest executable for code without a GUI.
# Without BUILD_TESTING both helpers add nothing.
function(ate_add_gtest target)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  ate_test_headers(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${ATE_TEST_LOCALE}")
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
  cmake_parse_arguments(ARG "ENGLISH_TOO" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  ate_test_headers(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
  set(environment
    "QT_QPA_PLATFORM=offscreen;QT_FATAL_WARNINGS=1;QTEST_FUNCTION_TIMEOUT=60000;XDG_RUNTIME_DIR=${ATE_TEST_RUNTIME_DIR}")
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${environment};${ATE_TEST_LOCALE}")
  if(ARG_ENGLISH_TOO)
    add_test(NAME ${target}_en_US COMMAND ${target})
    set_tests_properties(${target}_en_US PROPERTIES ENVIRONMENT
      "${environment};${ATE_TEST_LOCALE_EN}")
  endif()
endfunction()

# Appends to a test's environment and to that of its English run, if any.
function(ate_test_environment target)
  foreach(test ${target} ${target}_en_US)
    if(TEST ${test})
      set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${ARGN})
    endif()
  endforeach()
endfunction()
