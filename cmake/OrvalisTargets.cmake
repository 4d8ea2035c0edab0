# Common settings of every Orvalis target.
function(orvalis_setup target)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${ORVALIS_WARNINGS})
endfunction()

# One GoogleTest executable per folder of tests/, named <folder>_tests. Each run writes
# a JUnit-style XML report that scripts/test.sh sums up.
function(orvalis_add_test_suite dir lib gui)
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT _tests)
    return()
  endif()
  set(name ${dir}_tests)
  add_executable(${name} ${_tests})
  orvalis_setup(${name})
  target_link_libraries(${name} PRIVATE ${lib} test_support GTest::gtest_main)
  if(dir STREQUAL "base")
    # The layer check that every build runs over src/, tried on folders the test makes.
    target_compile_definitions(${name} PRIVATE ORVALIS_CMAKE_PATH="${CMAKE_COMMAND}"
                               ORVALIS_LAYER_CHECK="${CMAKE_SOURCE_DIR}/cmake/CheckFolderIncludes.cmake")
  endif()
  if(dir STREQUAL "cli" AND TARGET orvalis-cli)
    add_dependencies(${name} orvalis-cli)
    target_link_libraries(${name} PRIVATE orvalis_cli) # the texts of its records, tested alone
    target_compile_definitions(${name} PRIVATE ORVALIS_CLI_PATH="$<TARGET_FILE:orvalis-cli>")
  endif()
  # Relative to the working directory: a Windows test under Wine does not take Unix paths.
  set(_xml test-results/${name}.xml)
  add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${_xml}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  if(gui)
    set_tests_properties(${name} PROPERTIES LABELS gui)
    # The windows under test load their menu, accelerators and dialogs from the program's resources.
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src/resources/orvalis.rc)
  endif()
endfunction()
