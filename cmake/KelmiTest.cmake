# kelmi_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>]
#                [SERIAL_LINES] [TIMEOUT <seconds>])
# Adds one QTest executable, built to build/tests, run headless by CTest. SERIAL_LINES marks
# a test that plays serial devices: under Wine those are the few COM port pairs that
# scripts/test-windows provides, so such tests take turns there.
function(kelmi_add_test name)
    cmake_parse_arguments(ARG "SERIAL_LINES" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    qt_add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test kelmi_settings ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # The second console process that some tests start.
    add_dependencies(${name} kelmi-test-child)
    add_test(NAME ${name} COMMAND ${name})
    if(WIN32 AND CMAKE_CROSSCOMPILING)
        # Cross-built tests run under Wine.
        set_target_properties(${name} PROPERTIES
            CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine-test)
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT ${ARG_TIMEOUT})
    if(WIN32 AND ARG_SERIAL_LINES)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK com_port_pairs)
    endif()
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
