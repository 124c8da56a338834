add_executable(bench_target ${CMAKE_CURRENT_LIST_DIR}/TargetBench.cpp)
target_link_libraries(bench_target PRIVATE moistrel_target moistrel_program benchmark::benchmark)
