# quorvel_build_number(OUT SOURCE_DIR)
# The build number of a build from a git checkout: the count of commits up to the checked-out one.
# Empty where there is none: no git, or a source folder that is no checkout of its own (an
# unpacked source archive, even one that lies inside some other checkout).
# The checkout may belong to another user than the one building (CI runs as root on a clone it
# did not make), whom git otherwise refuses: it is read all the same, for its commit count only.
# A checkout's build configures again when its HEAD moves (a commit, a checkout), so that the
# number shown is that of the sources built.
function(quorvel_build_number out source_dir)
    set(${out} "" PARENT_SCOPE)
    find_package(Git QUIET)
    if(NOT GIT_FOUND)
        return()
    endif()
    set(git ${GIT_EXECUTABLE} -c safe.directory=* -C ${source_dir})
    execute_process(COMMAND ${git} rev-parse --show-toplevel --absolute-git-dir
        OUTPUT_VARIABLE found RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(failed)
        return()
    endif()
    string(REPLACE "\n" ";" found "${found}")
    list(GET found 0 top)
    list(GET found 1 git_dir)
    file(REAL_PATH "${top}" top)
    file(REAL_PATH "${source_dir}" source)
    if(NOT top STREQUAL source)
        return()
    endif()
    execute_process(COMMAND ${git} rev-list --count HEAD
        OUTPUT_VARIABLE count RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(failed OR NOT count MATCHES "^[0-9]+$")
        return()
    endif()
    set(${out} ${count} PARENT_SCOPE)
    # Outside a project (a script) there is nothing to configure again.
    if(NOT CMAKE_SCRIPT_MODE_FILE)
        foreach(moved IN ITEMS "${git_dir}/logs/HEAD" "${git_dir}/HEAD")
            if(EXISTS "${moved}")
                set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${moved}")
                break()
            endif()
        endforeach()
    endif()
endfunction()
