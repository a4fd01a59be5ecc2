# rux_add_test(<name> LABEL <layer> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>]
#              [EXTRA_LABELS <labels...>])
# One GoogleTest executable; each test case runs as its own CTest test (its own process), and the
# test support library's main gives every process its own machine folder, ODBC files and runtime
# folder, and the offscreen Qt platform. A test that runs its suites on each database system
# (INSTANTIATE_DATABASE_TEST_SUITE_P of support/ProjectDatabase.h) also gets the label `database`
# (ctest -L database); EXTRA_LABELS are given to every test besides LABEL.
include(GoogleTest)

function(rux_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS;EXTRA_LABELS" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "rux_add_test(${name}): LABEL is required")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE rux_test_support rux_test_database ${T_LIBS})
  # Read when configuring: a test that starts to use the database gets its label at the next one.
  set(labels ${T_LABEL} ${T_EXTRA_LABELS})
  foreach(source IN LISTS T_SOURCES)
    get_filename_component(source ${source} ABSOLUTE)
    file(STRINGS ${source} instances REGEX "^INSTANTIATE_DATABASE_TEST_SUITE_P\\(")
    if(instances)
      list(APPEND labels database)
    endif()
  endforeach()
  list(REMOVE_DUPLICATES labels)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      LABELS ${T_LABEL}
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;RUX_BUILD_DIR=${CMAKE_BINARY_DIR};RUX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  list(LENGTH labels label_count)
  if(label_count GREATER 1)
    # A second label cannot pass through the discovery's properties (lists lose their separator);
    # a script read after the discovered tests gives it to each of them.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${script}
      "if(${name}_TESTS)\n"
      "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\")\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()

# rux_add_test_folder(LABEL <layer> LIBS <targets...>): one test executable per Test*.cpp of the
# calling folder, named after it.
function(rux_add_test_folder)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "LIBS;EXTRA_LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/Test*.cpp)
  foreach(source IN LISTS tests)
    get_filename_component(stem ${source} NAME_WE)
    string(TOLOWER "${T_LABEL}_${stem}" exe)
    set(timeout_args)
    if(T_TIMEOUT)
      set(timeout_args TIMEOUT ${T_TIMEOUT})
    endif()
    rux_add_test(${exe} LABEL ${T_LABEL} SOURCES ${source} LIBS ${T_LIBS} ${timeout_args}
                 EXTRA_LABELS ${T_EXTRA_LABELS})
  endforeach()
endfunction()
