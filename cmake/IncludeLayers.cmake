# Keeps the folders layered where linking cannot tell: a header included
# from a higher layer builds as long as it calls nothing out of line, and a
# widget header needs no widget library until something is linked.
#
#   cmake -DSOURCE_DIR=<repo> [-DWIDGET_HEADERS=<QtWidgets include dir>;...]
#         -P cmake/IncludeLayers.cmake
#
# Read a row as: a file in FOLDER may include headers from these folders.
#
#   folder     may include
#   core       core
#   records    core records
#   device     core records device
#   analysis   core records analysis
#   render     core records device analysis render
#   dicom      core records device analysis render dicom
#   ui         core records device analysis render dicom ui
#   app        core records device analysis render dicom ui app
#
# Below ui/ no file includes a Qt Widgets or Print Support header.
cmake_minimum_required(VERSION 3.25)

set(folders core records device analysis render dicom ui app)
set(allowed_core core)
set(allowed_records core records)
set(allowed_device core records device)
set(allowed_analysis core records analysis)
set(allowed_render core records device analysis render)
set(allowed_dicom core records device analysis render dicom)
set(allowed_ui core records device analysis render dicom ui)
set(allowed_app core records device analysis render dicom ui app)
set(widget_free core records device analysis render dicom)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=DIR [-DWIDGET_HEADERS=DIRS] -P IncludeLayers.cmake")
endif()

# A header of the widget modules, by its include name: <QtWidgets/QDialog>,
# or <QDialog> found in one of the modules' include folders.
function(is_widget_header header out)
    set(${out} FALSE PARENT_SCOPE)
    if(header MATCHES "^(QtWidgets|QtPrintSupport)/")
        set(${out} TRUE PARENT_SCOPE)
        return()
    endif()
    if(NOT header MATCHES "^Q[A-Za-z]+$")
        return()
    endif()
    foreach(dir IN LISTS WIDGET_HEADERS)
        if(dir MATCHES "/Qt(Widgets|PrintSupport)$" AND EXISTS "${dir}/${header}")
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
    endforeach()
endfunction()

set(offences)
foreach(folder IN LISTS folders)
    file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h"
         "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*" "\\1" header "${line}")
            if(folder IN_LIST widget_free)
                is_widget_header("${header}" widget)
                if(widget)
                    list(APPEND offences "${file}: includes the widget header <${header}>")
                    continue()
                endif()
            endif()
            if(NOT header MATCHES "^([a-z]+)/")
                continue()
            endif()
            set(target "${CMAKE_MATCH_1}")
            if(target IN_LIST folders AND NOT target IN_LIST allowed_${folder})
                list(APPEND offences "${file}: ${folder}/ includes \"${header}\"")
            endif()
        endforeach()
    endforeach()
endforeach()

if(offences)
    list(JOIN offences "\n  " text)
    message(FATAL_ERROR "Includes against the layers (see the table in cmake/IncludeLayers.cmake):\n  ${text}")
endif()
message(STATUS "Includes follow the layers.")
