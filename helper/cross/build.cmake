# Configures and builds a Windows cross project with MinGW-w64; fails when it does not build. Run by ctest:
#   cmake -DSOURCE=<repo> -DPROJECT=<cross project, relative to the repo> -DBINARY=<dir> [-DICONS=<folder>] [-DBASIC_EDITION=ON]
#         -P helper/cross/build.cmake
# PROJECT defaults to the helper (helper/cross), which needs ICONS: the folder of the drawn resource images.
if(NOT PROJECT)
    set(PROJECT helper/cross)
endif()
foreach(var SOURCE BINARY)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
find_program(MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT MINGW_CXX)
    message(FATAL_ERROR "x86_64-w64-mingw32-g++-posix is missing: scripts/setup.sh installs g++-mingw-w64-x86-64-posix")
endif()
set(extra)
if(BASIC_EDITION)
    list(APPEND extra -DHUSHDECK_BASIC_EDITION=ON)
endif()
if(ICONS)
    list(APPEND extra -DGLASSPAN_ICONS=${ICONS})
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/${PROJECT} -B ${BINARY} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/helper/cross/mingw-w64.cmake ${extra}
    RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "configuring the Windows build of ${PROJECT} failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j 4 RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "${PROJECT} does not build for Windows")
endif()
message(STATUS "${PROJECT} built for Windows")
