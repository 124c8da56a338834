# How soon the LED caption follows MFC B going silent and answering again while the pump misses its
# command, on the system clock with the 9600-baud wire timing. Uses the tests' validated mixer.
if(TARGET moistrel_test_support AND TARGET moistrel_test_design)
    add_executable(tick_follow ${CMAKE_CURRENT_SOURCE_DIR}/TickFollow.cpp)
    target_include_directories(tick_follow PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(tick_follow PRIVATE moistrel_options moistrel_run moistrel_sim moistrel_test_design
        moistrel_test_support)
endif()
