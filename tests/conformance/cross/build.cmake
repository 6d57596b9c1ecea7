# Configures and builds the probes for Windows; fails when one does not build. Run by ctest:
#   cmake -DSOURCE=<repo> -DBINARY=<dir> -P tests/conformance/cross/build.cmake
foreach(var SOURCE BINARY)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
find_program(MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT MINGW_CXX)
    message(FATAL_ERROR "x86_64-w64-mingw32-g++-posix is missing: scripts/setup.sh installs g++-mingw-w64-x86-64-posix")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/tests/conformance/cross -B ${BINARY} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/helper/cross/mingw-w64.cmake
    RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "configuring the probes' Windows build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j 4 RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the probes do not build for Windows")
endif()
