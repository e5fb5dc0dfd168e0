# ate_headers(<target> [<folder>...])
#
# Gives <target> an include root of its own, holding only the headers of the
# named folders (paths from the source root; by default the folder that
# makes the target) under those same paths. "host/net/net_connection.h" is
# then found by host_net and by whoever links it, and by nothing else: an
# include of a folder that a target does not link fails to compile, so the
# link graph is the include graph. The headers are links to the sources, made
# again at every configure, so a compiler message still leads to the file.
function(ate_headers target)
  set(folders ${ARGN})
  if(NOT folders)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set(folders ${folder})
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  foreach(folder ${folders})
    file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header ${headers})
      get_filename_component(name ${header} NAME)
      file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
    endforeach()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  elseif(type STREQUAL "EXECUTABLE" OR type STREQUAL "MODULE_LIBRARY")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# The folders of a test's sources, for its own root: a test sees the headers
# beside it and those of what it links.
function(ate_test_headers target)
  set(folders)
  foreach(source ${ARGN})
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(dir ${path} DIRECTORY)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
    list(APPEND folders ${folder})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  ate_headers(${target} ${folders})
endfunction()
