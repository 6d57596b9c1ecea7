# Configures and builds Glasspan.exe for Windows; fails when it does not build. Run by ctest:
#   cmake -DSOURCE=<repo> -DBINARY=<dir> -DICONS=<folder> -P helper/cross/build.cmake
foreach(var SOURCE BINARY ICONS)
    if(NOT ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
find_program(MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT MINGW_CXX)
    message(FATAL_ERROR "x86_64-w64-mingw32-g++-posix is missing: scripts/setup.sh installs g++-mingw-w64-x86-64-posix")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE}/helper/cross -B ${BINARY} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/helper/cross/mingw-w64.cmake -DGLASSPAN_ICONS=${ICONS}
    RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "configuring the Windows build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY} -j 2 RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "Glasspan.exe does not build for Windows")
endif()
if(NOT EXISTS ${BINARY}/Glasspan.exe)
    message(FATAL_ERROR "the Windows build made no Glasspan.exe")
endif()
message(STATUS "Glasspan.exe built for Windows")
