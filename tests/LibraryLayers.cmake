# cmake -DBUILD_DIR=<build tree> -DWORK_DIR=<folder of its own> -P LibraryLayers.cmake
#
# Reads the build tree's target graph (cmake --graphviz) and fails when a library reaches,
# through any chain of links, a library that its layer must never use. Each such chain is
# printed.

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" "--graphviz=${WORK_DIR}/targets.dot" "${BUILD_DIR}"
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --graphviz failed on ${BUILD_DIR}:\n${error}")
endif()

# Nodes read: "node3" [ label = "link_core", shape = octagon ];
# Edges read: "node1" -> "node3"  // viewer_core -> link_core
file(STRINGS "${WORK_DIR}/targets.dot" lines)
file(REMOVE_RECURSE "${WORK_DIR}")
set(nodes)
foreach(line IN LISTS lines)
    if(line MATCHES "^ *\"(node[0-9]+)\" \\[ label = \"([^\"]+)\"")
        set(name_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
        list(APPEND nodes ${CMAKE_MATCH_1})
    elseif(line MATCHES "^ *\"(node[0-9]+)\" -> \"(node[0-9]+)\"")
        list(APPEND links_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
    endif()
endforeach()

set(violations)

# The libraries whose names match `guarded` never reach one whose name matches `forbidden`:
# appends each chain that does to `violations`, and fails when no library matches `guarded`.
function(keep_apart guarded forbidden)
    set(checked)
    foreach(start IN LISTS nodes)
        if(NOT name_${start} MATCHES "${guarded}")
            continue()
        endif()
        list(APPEND checked ${name_${start}})
        # Breadth first from the guarded library; from_<node> remembers the way back.
        foreach(node IN LISTS nodes)
            unset(from_${node})
        endforeach()
        set(from_${start} ${start})
        set(queue ${start})
        while(queue)
            list(POP_FRONT queue node)
            if(name_${node} MATCHES "${forbidden}")
                set(path ${name_${node}})
                while(NOT node STREQUAL start)
                    set(node ${from_${node}})
                    list(PREPEND path ${name_${node}})
                endwhile()
                list(JOIN path " -> " chain)
                list(APPEND violations "${chain}")
                continue()
            endif()
            foreach(next IN LISTS links_${node})
                if(NOT DEFINED from_${next})
                    set(from_${next} ${node})
                    list(APPEND queue ${next})
                endif()
            endforeach()
        endwhile()
    endforeach()
    if(NOT checked)
        message(FATAL_ERROR "No library matches ${guarded} in the target graph.")
    endif()
    list(JOIN checked ", " text)
    message(STATUS "Kept away from ${forbidden}: ${text}")
    set(violations ${violations} PARENT_SCOPE)
endfunction()

# Looking at stored flight data needs no socket: the flight data files, the viewer and the
# health code never reach the unit link or the maintenance code.
keep_apart("^(flightdata|viewer|health)_(core|ui)$" "^(link|maintenance)_(core|ui)$")
# The index is a cache below the viewer: it never reaches the viewer or the windows above it.
keep_apart("^health_core$" "^(viewer|shell)_(core|ui)$")
# Signal arithmetic stands on its own: the viewer, the health code, the simulator and the
# benchmarks all use it, so it uses none of them, nor Qt.
keep_apart("^signal_core$" "^(Qt6::(Core|Gui|Widgets|Sql)|toolkit|(common|link|aircraft|maintenance|flightdata|download|health|viewer|shell)_(core|ui))$")
# What needs no window links QtCore only, so that brix-cli's commands, the tests and the
# benchmarks run without a display.
keep_apart("^([a-z]+_core|cli_commands)$" "^(Qt6::(Gui|Widgets|PrintSupport|Svg|UiTools)|toolkit|[a-z]+_ui)$")

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Links that point the wrong way:\n  ${text}")
endif()
