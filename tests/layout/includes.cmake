# Fails when an include points the wrong way between the core's rooms:
#   files <- playlist;  files <- drive <- folder <- run
# (playlist and drive never see each other), or when the core reaches the
# command line or a window, or the command line a window.
#   cmake -DSOURCE=<the src folder> -P includes.cmake
cmake_minimum_required(VERSION 3.25)

set(below_files files)
set(below_playlist files playlist)
set(below_drive files drive)
set(below_folder files drive folder)
set(below_run files playlist drive folder run)
set(rooms files playlist drive folder run)

set(wrong "")
file(GLOB_RECURSE core RELATIVE ${SOURCE}/export ${SOURCE}/export/*.h ${SOURCE}/export/*.cpp)
foreach(file IN LISTS core)
    string(REGEX MATCH "^[^/]+" room "${file}")
    file(STRINGS ${SOURCE}/export/${file} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
        if(included MATCHES "^([^/]+)/")
            if(NOT CMAKE_MATCH_1 IN_LIST below_${room})
                list(APPEND wrong "export/${file} includes ${included}")
            endif()
        elseif(NOT EXISTS ${SOURCE}/strings/${included} AND NOT EXISTS ${SOURCE}/wintext/${included})
            list(APPEND wrong "export/${file} includes ${included}, outside the core")
        endif()
    endforeach()
endforeach()

# The command line and the session reach the core and the strings, and each
# other not at all.
foreach(folder console window)
    file(GLOB files RELATIVE ${SOURCE}/${folder} ${SOURCE}/${folder}/*.h ${SOURCE}/${folder}/*.cpp)
    foreach(file IN LISTS files)
        file(STRINGS ${SOURCE}/${folder}/${file} includes REGEX "^#include \"")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
            if(included MATCHES "^([^/]+)/" AND CMAKE_MATCH_1 IN_LIST rooms)
                continue()
            endif()
            if(NOT EXISTS ${SOURCE}/${folder}/${included} AND NOT EXISTS ${SOURCE}/strings/${included}
               AND NOT EXISTS ${SOURCE}/wintext/${included})
                list(APPEND wrong "${folder}/${file} includes ${included}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(wrong)
    list(JOIN wrong "\n  " listed)
    message(FATAL_ERROR "includes that point the wrong way:\n  ${listed}")
endif()
message(STATUS "every include points down")
