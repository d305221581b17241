# cmake -DFOLDER=<core folder> -DSTAMP=<file> -P CheckIncludes.cmake
# Fails when a file of the core includes anything but its own folder and the
# C++ standard library: no Qt, no platform, no system headers, no layer above.
file(GLOB files ${FOLDER}/*.h ${FOLDER}/*.cpp)
set(offences "")
foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(line MATCHES "include[ \t]*\"([^\"]*)\"")
            set(header "${CMAKE_MATCH_1}")
            # Only the core's own headers, named from the project root.
            if(NOT header MATCHES "^core/[A-Za-z0-9_]+\\.h$")
                list(APPEND offences "${file}: ${line}")
            endif()
        elseif(line MATCHES "include[ \t]*<([^>]*)>")
            set(header "${CMAKE_MATCH_1}")
            # Standard headers have neither a folder nor an extension, and
            # none starts with Q.
            if(header MATCHES "[/.]" OR header MATCHES "^Q")
                list(APPEND offences "${file}: ${line}")
            endif()
        else()
            list(APPEND offences "${file}: ${line}")
        endif()
    endforeach()
endforeach()
if(offences)
    list(JOIN offences "\n  " text)
    message(FATAL_ERROR "core/ may include only core/ and the C++ standard library:\n  ${text}")
endif()
file(TOUCH ${STAMP})
