add_executable(bench_pump_speed ${CMAKE_CURRENT_LIST_DIR}/PumpSpeedBench.cpp)
target_link_libraries(bench_pump_speed PRIVATE moistrel_pump benchmark::benchmark)
