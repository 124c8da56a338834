# The whole instrument validation (pump detection and both MFC identifications) against the virtual
# instruments with the wire timing of 9600 baud, beside the pauses the program prescribes.
add_executable(bench_validation ${CMAKE_CURRENT_SOURCE_DIR}/ValidationBench.cpp)
target_link_libraries(bench_validation PRIVATE moistrel_options moistrel_setup moistrel_sim benchmark::benchmark)
