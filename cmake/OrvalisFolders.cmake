# The folders of src/ as layers: orvalis_folder() records a folder's files and the folders
# it may include from (cmake/OrvalisSources.cmake calls it once per folder, bottom up);
# orvalis_folder_library() makes the folder's library, linked to the folders it uses, and
# the check that fails the build when one of its files includes a folder above it or when
# a file in the folder is not listed. Shared by the main build and the fuzz build.
get_filename_component(ORVALIS_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(ORVALIS_FOLDERS "")
set(ORVALIS_CORE_SOURCES "") # the portable core's compiled files on this system, cli excluded

function(orvalis_folder name)
  cmake_parse_arguments(PARSE_ARGV 1 F "" "LAYER" "USES;FILES")
  if(NOT F_LAYER MATCHES "^(core|cli|windows)$")
    message(FATAL_ERROR "orvalis_folder(${name}): LAYER core, cli or windows")
  endif()
  set(dir ${ORVALIS_SOURCE_ROOT}/src/${name})
  set(allowed ${name})
  foreach(used ${F_USES})
    if(NOT used IN_LIST ORVALIS_FOLDERS)
      message(FATAL_ERROR "orvalis_folder(${name}): ${used} must be declared before the folders that use it")
    endif()
    list(APPEND allowed ${used} ${ORVALIS_${used}_ALLOWED})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set(files "")
  set(sources "")
  set(program "")
  foreach(file ${F_FILES})
    list(APPEND files ${dir}/${file})
    if(NOT file MATCHES "\\.cpp$" OR (WIN32 AND file MATCHES "_posix\\.cpp$") OR
       (NOT WIN32 AND file MATCHES "_win32\\.cpp$"))
      continue()
    elseif(file STREQUAL "main.cpp")
      set(program ${dir}/${file})
    else()
      list(APPEND sources ${dir}/${file})
    endif()
  endforeach()
  set(ORVALIS_${name}_LAYER ${F_LAYER} PARENT_SCOPE)
  set(ORVALIS_${name}_USES ${F_USES} PARENT_SCOPE)
  set(ORVALIS_${name}_ALLOWED ${allowed} PARENT_SCOPE)
  set(ORVALIS_${name}_FILES ${F_FILES} PARENT_SCOPE)
  set(ORVALIS_${name}_SOURCES ${sources} PARENT_SCOPE)
  set(ORVALIS_${name}_PROGRAM ${program} PARENT_SCOPE)
  set(ORVALIS_FOLDERS ${ORVALIS_FOLDERS} ${name} PARENT_SCOPE)
  if(F_LAYER STREQUAL "core")
    set(ORVALIS_CORE_SOURCES ${ORVALIS_CORE_SOURCES} ${sources} PARENT_SCOPE)
  endif()
endfunction()

# orvalis_<name>: a static library of the folder's compiled files (none for a folder of
# headers only), public to the libraries of the folders it uses.
function(orvalis_folder_library name)
  set(dir ${ORVALIS_SOURCE_ROOT}/src/${name})
  list(JOIN ORVALIS_${name}_ALLOWED "," allowed)
  list(JOIN ORVALIS_${name}_FILES "," listed)
  list(TRANSFORM ORVALIS_${name}_FILES PREPEND ${dir}/ OUTPUT_VARIABLE files)
  set(stamp ${CMAKE_BINARY_DIR}/folder_checks/${name}.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${name} -DSRC=${ORVALIS_SOURCE_ROOT}/src -DALLOWED=${allowed}
            -DLISTED=${listed} -DSTAMP=${stamp} -P ${ORVALIS_SOURCE_ROOT}/cmake/CheckFolderIncludes.cmake
    DEPENDS ${files} ${ORVALIS_SOURCE_ROOT}/cmake/CheckFolderIncludes.cmake
    COMMENT "Checking the includes of src/${name}"
    VERBATIM)
  add_custom_target(orvalis_${name}_includes ALL DEPENDS ${stamp})
  if(NOT ORVALIS_${name}_SOURCES)
    return()
  endif()
  add_library(orvalis_${name} STATIC ${ORVALIS_${name}_SOURCES})
  add_dependencies(orvalis_${name} orvalis_${name}_includes)
  orvalis_setup(orvalis_${name})
  foreach(used ${ORVALIS_${name}_USES})
    if(TARGET orvalis_${used})
      target_link_libraries(orvalis_${name} PUBLIC orvalis_${used})
    endif()
  endforeach()
endfunction()
