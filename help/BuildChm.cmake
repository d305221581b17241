# Compiles one help project: cmake -DSTAGE=<dir> -DPROJECT=<name>
#   -DSOURCE=<dir with .hhp/.hhc/.hhk> -DCHMCMD=<path> [-DICONV=<path>]
#   -DOUTPUT=<file.chm> -P BuildChm.cmake
# The pages are already staged; the project files are written into the stage
# in Shift_JIS, the code page the viewer reads them in for a Japanese file.
foreach(ext hhp hhc hhk)
    set(in ${SOURCE}/${PROJECT}.${ext})
    set(out ${STAGE}/${PROJECT}.${ext})
    if(ICONV)
        execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 ${in}
            OUTPUT_FILE ${out} RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "iconv could not convert ${in}")
        endif()
    else()
        file(COPY_FILE ${in} ${out})
    endif()
endforeach()

file(REMOVE ${STAGE}/${PROJECT}.chm)
execute_process(COMMAND ${CHMCMD} --verbosity 1 ${PROJECT}.hhp
    WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT rc EQUAL 0 OR NOT EXISTS ${STAGE}/${PROJECT}.chm)
    message(FATAL_ERROR "chmcmd failed for ${PROJECT}.hhp:\n${log}")
endif()
file(COPY_FILE ${STAGE}/${PROJECT}.chm ${OUTPUT})
