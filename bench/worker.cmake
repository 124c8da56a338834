# The MFC worker against the virtual instruments: the period of its pass with the wire timing of
# 9600 baud, and how closely a pulsed segment delivers its mean flow over minutes of instrument time.
add_executable(bench_worker ${CMAKE_CURRENT_SOURCE_DIR}/WorkerBench.cpp)
target_link_libraries(bench_worker PRIVATE moistrel_options moistrel_run moistrel_sim benchmark::benchmark)
