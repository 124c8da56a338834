add_executable(bench_remote ${CMAKE_CURRENT_LIST_DIR}/RemoteBench.cpp)
target_link_libraries(bench_remote PRIVATE moistrel_remote benchmark::benchmark)
