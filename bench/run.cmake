# A run against the virtual instruments: the worker's pass period and the main thread's stalls with
# the 9600-baud wire timing, a pulsed segment's delivered mean flow, memory over an hour's run.
add_executable(run_soak ${CMAKE_CURRENT_SOURCE_DIR}/RunSoak.cpp)
target_link_libraries(run_soak PRIVATE moistrel_options moistrel_run moistrel_sim)
