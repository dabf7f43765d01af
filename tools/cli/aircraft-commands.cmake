# The "aircraft" commands of brix-cli as a library of their own, so that the tests link the
# same code the program runs. Included from tools/cli/CMakeLists.txt.
add_library(cli_aircraft_commands STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AircraftCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AircraftCommands.h
)
target_include_directories(cli_aircraft_commands PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(cli_aircraft_commands PUBLIC aircraft_core Qt6::Core)
