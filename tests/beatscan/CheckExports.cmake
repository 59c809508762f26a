# Checks that a built beatscan lists exactly its nine exports.
#   cmake -DLIBRARY=<file> -DFORMAT=elf|pe -DTOOL=<nm or objdump> -P CheckExports.cmake
set(expected Get_Parameter Get_index_P Get_index_PB Get_index_QB Get_index_SE Get_index_T
             Get_index_TE Get_ptr_plus QRS)

if(NOT EXISTS "${LIBRARY}")
    message(FATAL_ERROR "no library at ${LIBRARY}")
endif()

set(names "")
if(FORMAT STREQUAL "pe")
    # The name table of `objdump -p`: lines "[   0] Name" after its heading.
    execute_process(COMMAND ${TOOL} -p ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
    string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
    if(failed OR at LESS 0)
        message(FATAL_ERROR "no export name table in ${LIBRARY}")
    endif()
    string(SUBSTRING "${dump}" ${at} -1 table)
    string(REGEX REPLACE "\n[ \t]*\n.*" "" table "${table}") # up to the first blank line
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
    foreach(entry IN LISTS entries)
        string(REGEX REPLACE "\\[ *[0-9]+\\] " "" name "${entry}")
        list(APPEND names ${name})
    endforeach()
else()
    # Defined dynamic symbols: "address type name".
    execute_process(COMMAND ${TOOL} -D --defined-only ${LIBRARY}
                    OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "cannot list the symbols of ${LIBRARY}")
    endif()
    string(REGEX MATCHALL "[^\n]+" lines "${dump}")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^.* " "" name "${line}")
        list(APPEND names ${name})
    endforeach()
endif()

list(SORT names)
list(SORT expected)
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exports of ${LIBRARY}:\n  ${names}\nexpected exactly:\n  ${expected}")
endif()
message(STATUS "${LIBRARY}: exactly the nine exports")
