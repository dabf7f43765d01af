# Renders the user guide (cmake -P, from doc/CMakeLists.txt), dated by the last commit of its
# sources so that the same sources make the same file. A SOURCE_DATE_EPOCH given by the build
# wins; outside a git checkout brix-guide dates the guide by its source file instead.
#   -DGIT=... -DSOURCE_DIR=... -DGUIDE_TOOL=... -DRESOURCES=... -DSOURCE=... -DOUTPUT=...
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND GIT)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} log -1 --format=%ct
                    OUTPUT_VARIABLE commit_time
                    OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE result
                    ERROR_QUIET)
    if(result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
        set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
    endif()
endif()
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{QT_HASH_SEED} 0)
execute_process(COMMAND ${GUIDE_TOOL} --resources ${RESOURCES} ${SOURCE} ${OUTPUT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "brix-guide could not render ${OUTPUT}")
endif()
