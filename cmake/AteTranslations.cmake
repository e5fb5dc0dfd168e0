# ate_add_translation(<target> <ts> <folder the .qm goes to> SOURCES <files>)
# <target>_lupdate refreshes the .ts from the sources' texts; every build
# releases it into the folder the host reads it from.
function(ate_add_translation target ts destination)
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "" SOURCES)
  set_source_files_properties(${ts} PROPERTIES OUTPUT_LOCATION ${destination})
  qt_add_lupdate(${target} TS_FILES ${ts} SOURCES ${arg_SOURCES}
    OPTIONS -no-obsolete -locations none)
  qt_add_lrelease(${target} TS_FILES ${ts})
endfunction()
