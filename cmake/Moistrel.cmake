# Shared compile settings and the helpers every folder uses:
#   moistrel_library(<name> [DEPS ...])                          one folder under src/ = one library
#   moistrel_test(<name> SOURCES ... [DEPS ...] LABEL unit|integration|ui)
#   moistrel_write_folder_deps(<file> [LEFT_OUT <folder>...])   for the layering test

add_library(moistrel_options INTERFACE)
target_compile_options(moistrel_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion)
if(MOISTREL_WERROR)
    target_compile_options(moistrel_options INTERFACE -Werror)
endif()
if(MOISTREL_SANITIZE AND MOISTREL_TSAN)
    message(FATAL_ERROR "MOISTREL_SANITIZE and MOISTREL_TSAN exclude each other: use one build folder for each")
endif()
if(MOISTREL_FUZZ AND (MOISTREL_SANITIZE OR MOISTREL_TSAN))
    message(FATAL_ERROR "MOISTREL_FUZZ brings its own sanitizers: build it in a folder of its own, without "
        "MOISTREL_SANITIZE and MOISTREL_TSAN")
endif()
if(MOISTREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "MOISTREL_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Every library is instrumented for the fuzzer's coverage and checked by ASan and UBSan; the
    # fuzz targets themselves link the fuzzer's main (tests/fuzz). UB stops the run like a crash.
    # -O1: the fuzzer tries many times more inputs than at -O0, with the same checks.
    target_compile_options(moistrel_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
        -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1)
    target_link_options(moistrel_options INTERFACE -fsanitize=address,undefined)
endif()
if(MOISTREL_SANITIZE)
    target_compile_options(moistrel_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(moistrel_options INTERFACE -fsanitize=address,undefined)
endif()
if(MOISTREL_TSAN)
    # -O1: ThreadSanitizer runs several times slower than plain code; -O0 would double that again.
    target_compile_options(moistrel_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer -O1)
    target_link_options(moistrel_options INTERFACE -fsanitize=thread)
endif()

# A dependency named like one of ours (moistrel_*) or an imported target (Qt6::Widgets) must be a
# target by now, or a typo or a missing folder would only show as a link error (or not at all).
function(moistrel_require_targets who)
    foreach(dep ${ARGN})
        if((dep MATCHES "^moistrel_" OR dep MATCHES "::") AND NOT TARGET ${dep})
            message(FATAL_ERROR "${who} depends on ${dep}, which is not defined (yet). Add its folder to "
                "CMakeLists.txt, above every folder that uses it.")
        endif()
    endforeach()
endfunction()

# A folder under src/ is one static library of all its .cpp files (sub-folders included).
function(moistrel_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "moistrel_library(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(NOT sources)
        message(FATAL_ERROR "${name}: no .cpp file in ${CMAKE_CURRENT_SOURCE_DIR}. A folder under src/ is a "
            "library of its sources; a folder without any has no place in the build.")
    endif()
    moistrel_require_targets(${name} ${ARG_DEPS})
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC moistrel_options ${ARG_DEPS})
endfunction()

function(moistrel_test name)
    cmake_parse_arguments(ARG "" "LABEL" "SOURCES;DEPS" ${ARGN})
    if(NOT ARG_LABEL MATCHES "^(unit|integration|ui)$")
        message(FATAL_ERROR "moistrel_test(${name}): LABEL must be unit, integration or ui")
    endif()
    moistrel_require_targets(${name} ${ARG_DEPS})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE moistrel_options ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${ARG_LABEL}")
endfunction()

# Writes one line per folder under src/: "<folder>: <folder it links> ...", from the targets' own link
# lists. A folder without its target stops the configuration: it exists but was never added. Folders
# named after LEFT_OUT are ones this build leaves out on purpose (MOISTREL_BUILD_UI=OFF).
function(moistrel_write_folder_deps file)
    cmake_parse_arguments(ARG "" "" "LEFT_OUT" ${ARGN})
    file(GLOB entries LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/src/*)
    set(text "")
    foreach(entry ${entries})
        if(NOT IS_DIRECTORY ${entry})
            continue()
        endif()
        get_filename_component(folder ${entry} NAME)
        # The app folder is a library too (the composition the window tests build) beside main().
        set(target moistrel_${folder})
        if(NOT TARGET ${target})
            if(folder IN_LIST ARG_LEFT_OUT)
                continue()
            endif()
            message(FATAL_ERROR "src/${folder} has no target ${target}: add add_subdirectory(src/${folder}) "
                "to CMakeLists.txt, or remove the folder.")
        endif()
        get_target_property(links ${target} LINK_LIBRARIES)
        set(deps "")
        foreach(item ${links})
            if(NOT item MATCHES "^moistrel_(.+)$" OR item STREQUAL "moistrel_options")
                continue()
            endif()
            set(dep ${CMAKE_MATCH_1})
            if(NOT TARGET ${item})
                message(FATAL_ERROR "${target} links ${item}, which is not defined: add its folder to "
                    "CMakeLists.txt, or correct the name.")
            endif()
            list(APPEND deps ${dep})
        endforeach()
        list(JOIN deps " " deps)
        string(APPEND text "${folder}: ${deps}\n")
    endforeach()
    file(WRITE ${file} "${text}")
endfunction()
