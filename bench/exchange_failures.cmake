# The failure rate of a run's exchanges on the virtual instruments with wire timing, idle and loaded,
# and how late the virtual instruments are against the wire time.
add_executable(exchange_failures ${CMAKE_CURRENT_SOURCE_DIR}/ExchangeFailures.cpp)
target_link_libraries(exchange_failures PRIVATE moistrel_options moistrel_mfc moistrel_sim)
