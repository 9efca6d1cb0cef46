# kestra_add_module(<target> SOURCES <file>... [DATA <file>...] [FOLDER <dir>])
#
# Builds a game module as prog.so (no "lib" prefix; only the functions marked
# PROG_EXPORT are exported) into a folder of its own, and copies the engine,
# engine-headless, the platform library and the DATA files beside it, so that
# the folder runs as it is and can be copied anywhere. FOLDER defaults to
# <KESTRA_MODULE_FOLDER_ROOT or the build folder>/<target>.
#
# Reads KESTRA_RUNTIME_FILES (the engine's files to copy) and
# KESTRA_RUNTIME_TARGETS (targets that make them, inside the Kestra tree).
function(kestra_add_module target)
  cmake_parse_arguments(M "" "FOLDER" "SOURCES;DATA" ${ARGN})
  if(NOT M_SOURCES)
    message(FATAL_ERROR "kestra_add_module(${target}): no SOURCES given")
  endif()
  if(NOT M_FOLDER)
    if(KESTRA_MODULE_FOLDER_ROOT)
      set(M_FOLDER ${KESTRA_MODULE_FOLDER_ROOT}/${target})
    else()
      set(M_FOLDER ${CMAKE_BINARY_DIR}/${target})
    endif()
  endif()

  add_library(${target} MODULE ${M_SOURCES})
  target_link_libraries(${target} PRIVATE Kestra::module)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME prog
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${M_FOLDER}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(NOT WIN32)
    set_target_properties(${target} PROPERTIES SUFFIX ".so")
  endif()

  # Runs on every build; copy_if_different keeps it cheap.
  add_custom_target(${target}-folder ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${M_FOLDER}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KESTRA_RUNTIME_FILES} ${M_DATA} ${M_FOLDER}
    COMMENT "Copying the engine and the data files into ${M_FOLDER}"
    VERBATIM)
  if(KESTRA_RUNTIME_TARGETS)
    add_dependencies(${target}-folder ${KESTRA_RUNTIME_TARGETS})
  endif()
  add_dependencies(${target} ${target}-folder)
endfunction()
