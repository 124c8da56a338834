# Shared compile settings and the two helpers every folder uses:
#   moistrel_library(<name> SOURCES ... [DEPS ...] [QT])
#   moistrel_test(<name> SOURCES ... [DEPS ...] LABEL unit|integration|ui)

add_library(moistrel_options INTERFACE)
target_compile_options(moistrel_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion)
if(MOISTREL_WERROR)
    target_compile_options(moistrel_options INTERFACE -Werror)
endif()
if(MOISTREL_SANITIZE)
    target_compile_options(moistrel_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(moistrel_options INTERFACE -fsanitize=address,undefined)
endif()

# A folder under src/ is one static library of all its .cpp files (sub-folders included).
function(moistrel_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC moistrel_options ${ARG_DEPS})
    else()
        # Nothing built here yet: an empty interface keeps the dependants linking.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE moistrel_options ${ARG_DEPS})
    endif()
endfunction()

function(moistrel_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE moistrel_options ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${ARG_LABEL}")
endfunction()
