# The build number from a checkout's history, run as a script:
#   cmake -DMODULE=.../QuorvelBuildNumber.cmake -DSCRATCH=folder -P BuildNumberTest.cmake
# Each case makes its own folder under SCRATCH and says what number it must give.
include(${MODULE})
find_package(Git REQUIRED)

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
set(failures 0)

function(git folder)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${folder} -c user.name=Test
        -c user.email=test@localhost -c init.defaultBranch=main ${ARGN}
        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE said)
    if(failed)
        message(FATAL_ERROR "git ${ARGN} in ${folder}: ${said}")
    endif()
endfunction()

# A checkout of its own with that many commits.
function(checkout folder commits)
    file(MAKE_DIRECTORY ${folder})
    git(${folder} init --quiet)
    set(made 0)
    while(made LESS commits)
        math(EXPR made "${made} + 1")
        git(${folder} commit --quiet --allow-empty -m "Commit ${made}")
    endwhile()
endfunction()

function(expect name folder number)
    quorvel_build_number(found ${folder})
    if(NOT "${found}" STREQUAL "${number}")
        message(SEND_ERROR "${name}: build number \"${found}\", expected \"${number}\"")
    else()
        message(STATUS "${name}: \"${found}\"")
    endif()
endfunction()

checkout(${SCRATCH}/three 3)
expect("a checkout" ${SCRATCH}/three 3)

file(MAKE_DIRECTORY ${SCRATCH}/unpacked)
expect("no checkout" ${SCRATCH}/unpacked "")

# An unpacked archive that happens to lie inside some other checkout is not that checkout.
file(MAKE_DIRECTORY ${SCRATCH}/three/sources)
expect("inside another checkout" ${SCRATCH}/three/sources "")

checkout(${SCRATCH}/empty 0)
expect("a checkout without commits" ${SCRATCH}/empty "")

# A checkout made by another user, as a build as root finds a clone it did not make.
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid STREQUAL "0")
    checkout(${SCRATCH}/theirs 2)
    execute_process(COMMAND chown -R nobody ${SCRATCH}/theirs RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "could not give the checkout to another user")
    endif()
    expect("another user's checkout" ${SCRATCH}/theirs 2)
else()
    message(STATUS "another user's checkout: skipped, needs root to make one")
endif()
file(REMOVE_RECURSE ${SCRATCH})
