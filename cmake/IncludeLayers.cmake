# Keeps the folders layered: a lower layer never includes a higher one.
#
#   cmake -DSOURCE_DIR=<repo> -DWINDOW_SOURCES=<list> -P cmake/IncludeLayers.cmake
#
# WINDOW_SOURCES are the widget files (the sources of vantora_ui and of the
# windowed program: pages, views, dialogs, owner-drawn controls); a header
# belongs to the windows when its .cpp does. Everything else in the folders below is logic, compiled into
# vantora_core. Prints every offending file and include, and fails.

# The allowed table. Read a row as: logic in FOLDER may include headers from
# these folders.
#
#   folder     may include
#   core       core                                    (the shared vocabulary)
#   records    core records
#   device     core records device
#   analysis   core records analysis
#   render     core records device analysis render
#   app        core records device analysis render app
#
# Windows, wherever their folder, stand on top: they may include every folder
# below app/, and from app/ only the frame's interface below. Logic never
# includes a window, nor QtWidgets (vantora_core does not link it).
cmake_minimum_required(VERSION 3.25)

set(folders core records device analysis render app)
set(allowed_core core)
set(allowed_records core records)
set(allowed_device core records device)
set(allowed_analysis core records analysis)
set(allowed_render core records device analysis render)
set(allowed_app core records device analysis render app)
set(allowed_window core records device analysis render)
set(frame_interface app/CMainFrame.h app/CFormViewEx.h app/MessageBoxPrompter.h app/PageIds.h)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=DIR -DWINDOW_SOURCES=LIST -P IncludeLayers.cmake")
endif()

# Window files by their path inside the repository, without the extension.
set(window_stems)
foreach(src IN LISTS WINDOW_SOURCES)
    cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY "${SOURCE_DIR}" NORMALIZE)
    cmake_path(RELATIVE_PATH src BASE_DIRECTORY "${SOURCE_DIR}")
    cmake_path(REMOVE_EXTENSION src)
    list(APPEND window_stems "${src}")
endforeach()

set(offences)
foreach(folder IN LISTS folders)
    file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h"
         "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(file IN LISTS files)
        set(stem "${file}")
        cmake_path(REMOVE_EXTENSION stem)
        if(stem IN_LIST window_stems)
            set(what "window")
            if(folder STREQUAL "app")
                set(allowed ${allowed_app})
            else()
                set(allowed ${allowed_window})
            endif()
        else()
            set(allowed ${allowed_${folder}})
            set(what "logic")
        endif()
        file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" header "${line}")
            if(header MATCHES "^QtWidgets/|^QtPrintSupport/")
                if(what STREQUAL "logic")
                    list(APPEND offences "${file}: logic includes <${header}>")
                endif()
                continue()
            endif()
            if(NOT header MATCHES "^([a-z]+)/")
                continue()
            endif()
            set(target "${CMAKE_MATCH_1}")
            set(header_stem "${header}")
            cmake_path(REMOVE_EXTENSION header_stem)
            if(what STREQUAL "logic" AND header_stem IN_LIST window_stems)
                list(APPEND offences "${file}: logic includes the window \"${header}\"")
                continue()
            endif()
            if(NOT target IN_LIST folders OR target IN_LIST allowed)
                continue()
            endif()
            if(what STREQUAL "window" AND header IN_LIST frame_interface)
                continue()
            endif()
            list(APPEND offences "${file}: ${what} in ${folder}/ includes \"${header}\"")
        endforeach()
    endforeach()
endforeach()

if(offences)
    list(JOIN offences "\n  " text)
    message(FATAL_ERROR "Includes against the layers (see the table in cmake/IncludeLayers.cmake):\n  ${text}")
endif()
message(STATUS "Includes follow the layers.")
