# Test helpers. Every test is one executable registered with CTest.

# GoogleTest executable for code without a GUI.
function(ate_add_gtest target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${target} COMMAND ${target})
endfunction()

# Qt Test executable. Runs offscreen; any Qt warning aborts the test, so a
# warning fails it; a hung modal dialog is ended by the function timeout.
function(ate_add_qtest target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
  add_test(NAME ${target} COMMAND ${target})
  set_tests_properties(${target} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;QT_FATAL_WARNINGS=1;QTEST_FUNCTION_TIMEOUT=60000;LC_ALL=C.UTF-8")
endfunction()
