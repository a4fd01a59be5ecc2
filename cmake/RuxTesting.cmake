# rux_add_test(<name> LABEL <layer> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>]
#              [EXTRA_LABELS <labels...>])
# One GoogleTest executable; each test case runs as its own CTest test (its own process), and the
# test support library's main gives every process its own machine folder, ODBC files and runtime
# folder, and the offscreen Qt platform.
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
  target_link_libraries(${name} PRIVATE rux_test_support ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      LABELS ${T_LABEL}
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;RUX_BUILD_DIR=${CMAKE_BINARY_DIR};RUX_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(T_EXTRA_LABELS)
    # The discovered tests exist only when CTest reads the folder: label them there, after them.
    set(labels_script "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
    file(WRITE ${labels_script}
      "foreach(t IN LISTS ${name}_TESTS)\n"
      "  set_tests_properties(\${t} PROPERTIES LABELS \"${T_LABEL};${T_EXTRA_LABELS}\")\n"
      "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_script})
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
