# Writes OUTPUT, a C++ source holding every migrations/*.sql of DIR as a
# string: the server has no Qt resources, and its schema must not depend on
# files beside the executable.
file(GLOB files RELATIVE ${DIR} ${DIR}/*.sql)
list(SORT files)
set(body "")
foreach(name IN LISTS files)
  file(READ ${DIR}/${name} text)
  string(FIND "${text}" ")ate_sql\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${name} holds the raw string's delimiter")
  endif()
  string(APPEND body "        {\"${name}\", R\"ate_sql(${text})ate_sql\"},\n")
endforeach()
file(WRITE ${OUTPUT}.new
"// Made by embed_migrations.cmake from server/db/migrations; edit those files.
#include \"server/db/migration_files.h\"

namespace appserver {

const std::vector<MigrationFile> &migrationFiles()
{
    static const std::vector<MigrationFile> files = {
${body}    };
    return files;
}

} // namespace appserver
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
