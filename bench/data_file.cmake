# The tick's time in the run data file on an idle disk and on one that other writers keep busy.
add_executable(data_file_stall ${CMAKE_CURRENT_SOURCE_DIR}/DataFileStall.cpp)
target_link_libraries(data_file_stall PRIVATE moistrel_options moistrel_run)
