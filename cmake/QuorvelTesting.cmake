# quorvel_add_test(NAME SOURCES files... LIBRARIES libs...
#                  [SANDBOX mdns|dbus|logind|small-disk|x11] [LABELS labels...])
# Every test runs with a private HOME and XDG folders (scripts/test-home.sh); tests that need the
# mDNS or D-Bus sandbox run inside it and carry its name as a label. The mDNS sandbox needs root:
# as a normal user its tests are reported as skipped (exit status 77), with the reason in the log.
# The X11 sandbox is an X server of the test's own (Xvfb, the xcb platform); without Xvfb its
# tests are skipped the same way.
function(quorvel_add_test name)
    cmake_parse_arguments(T "" "SANDBOX;TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBRARIES})
    set(command ${PROJECT_SOURCE_DIR}/scripts/test-home.sh)
    if(T_SANDBOX)
        list(APPEND command ${PROJECT_SOURCE_DIR}/scripts/sandbox-${T_SANDBOX}.sh)
    endif()
    add_test(NAME ${name} COMMAND ${command} $<TARGET_FILE:${name}>)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        LABELS "${T_LABELS};${T_SANDBOX}"
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVEL_SOURCE_DIR=${PROJECT_SOURCE_DIR};QUORVEL_BUILD_DIR=${PROJECT_BINARY_DIR}")
    if(T_SANDBOX STREQUAL "mdns" OR T_SANDBOX STREQUAL "small-disk" OR T_SANDBOX STREQUAL "x11")
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
    endif()
    if(T_SANDBOX STREQUAL "x11")
        # libxkbcommon-x11 (under the X11 platform) reads key names with strndup over buffers
        # that are not NUL-terminated, correctly bounded: strict string checks would stop every
        # X11 client there.
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
            "ASAN_OPTIONS=detect_leaks=0:abort_on_error=1")
    endif()
endfunction()
