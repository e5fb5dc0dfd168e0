# Fails when a text of the sources has no translation in the .ts: gathers
# the texts from the sources into a copy of the .ts and lists those lupdate
# leaves unfinished. TARGET names the target whose <TARGET>_lupdate
# refreshes the .ts. REPORTS, when given, names report files whose shown
# texts must be translated too.
#   cmake -DLUPDATE=... -DTS=... -DWORK=... -DSOURCES="dir;file" -DTARGET=... [-DREPORTS=...] -P CheckTranslation.cmake
file(MAKE_DIRECTORY ${WORK})
if(REPORTS)
  include(${CMAKE_CURRENT_LIST_DIR}/ReportTexts.cmake)
  ate_write_report_texts(${WORK}/report_texts.cpp ${REPORTS})
  list(APPEND SOURCES ${WORK}/report_texts.cpp)
endif()
set(check ${WORK}/check_en.ts)
file(COPY_FILE ${TS} ${check})
execute_process(
  COMMAND ${LUPDATE} -I ${CMAKE_CURRENT_LIST_DIR}/.. -extensions cpp,h -no-obsolete -locations none ${SOURCES} -ts ${check}
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lupdate failed: ${errors}")
endif()
file(READ ${check} content)
string(REGEX MATCHALL "<source>[^<]*</source>[ \t\r\n]*<translation type=\"unfinished\"" missing "${content}")
if(missing)
  string(REGEX REPLACE "[ \t\r\n]*<translation type=\"unfinished\"" "" missing "${missing}")
  string(REPLACE ";" "\n  " missing "${missing}")
  message(FATAL_ERROR "Texts without an English translation (build ${TARGET}_lupdate, "
                      "then translate them in ${TS}):\n  ${missing}")
endif()
