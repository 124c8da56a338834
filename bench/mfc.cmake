# The MFC exchanges against the virtual MFC with the wire timing of 9600 baud: one ReadF32, the same
# read by libmodbus on the same link, and a whole identification of a three-table MFC.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MODBUS REQUIRED IMPORTED_TARGET libmodbus)

add_executable(bench_mfc ${CMAKE_CURRENT_SOURCE_DIR}/MfcBench.cpp)
target_link_libraries(bench_mfc PRIVATE moistrel_options moistrel_mfc moistrel_sim benchmark::benchmark
    PkgConfig::MODBUS)
