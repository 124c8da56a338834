# The layering of src/, checked from the tree itself (cmake -P):
#  - every folder has a README.md with one line "Uses: `a`, `b`." naming the folders it may use
#    ("Uses: nothing ..." for none);
#  - every `#include "x/..."` in a folder names the folder itself or one its README allows;
#  - Qt headers appear only in ui/ and app/;
#  - what each folder links (FOLDER_DEPS, written at configure time) is exactly what its README allows.
# Arguments: -DSOURCE_DIR=<src> -DFOLDER_DEPS=<file of "folder: dep dep" lines>

cmake_minimum_required(VERSION 3.25)

foreach(var SOURCE_DIR FOLDER_DEPS)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CheckLayering.cmake needs -D${var}=...")
    endif()
endforeach()

set(qt_folders ui app)

file(GLOB entries LIST_DIRECTORIES true ${SOURCE_DIR}/*)
set(folders "")
foreach(entry ${entries})
    if(IS_DIRECTORY ${entry})
        get_filename_component(name ${entry} NAME)
        list(APPEND folders ${name})
    endif()
endforeach()

set(problems "")
set(file_count 0)

# What each README allows.
foreach(folder ${folders})
    set(uses_${folder} "")
    set(readme ${SOURCE_DIR}/${folder}/README.md)
    if(NOT EXISTS ${readme})
        string(APPEND problems "  src/${folder}: no README.md saying what it may use\n")
        continue()
    endif()
    file(STRINGS ${readme} lines REGEX "^Uses:")
    list(LENGTH lines count)
    if(NOT count EQUAL 1)
        string(APPEND problems
            "  src/${folder}/README.md: wants one line beginning \"Uses:\", has ${count}\n")
        continue()
    endif()
    string(REGEX MATCHALL "`[^`]+`" quoted "${lines}")
    if(NOT quoted AND NOT lines MATCHES "^Uses: nothing")
        string(APPEND problems
            "  src/${folder}/README.md: the \"Uses:\" line names no folder in backticks and does not say \"nothing\"\n")
    endif()
    foreach(q ${quoted})
        string(REPLACE "`" "" name ${q})
        if(NOT name IN_LIST folders OR name STREQUAL folder)
            string(APPEND problems "  src/${folder}/README.md: \"Uses:\" names `${name}`, not another folder under src/\n")
        else()
            list(APPEND uses_${folder} ${name})
        endif()
    endforeach()
endforeach()

# What each folder includes.
foreach(folder ${folders})
    file(GLOB_RECURSE files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
    list(SORT files)
    foreach(file ${files})
        math(EXPR file_count "${file_count} + 1")
        file(RELATIVE_PATH shown ${SOURCE_DIR}/.. ${file})
        file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
        foreach(line ${includes})
            if(line MATCHES "include[ \t]*\"([^\"/]+)/[^\"]*\"")
                set(prefix ${CMAKE_MATCH_1})
                if(NOT prefix STREQUAL folder AND NOT prefix IN_LIST uses_${folder})
                    list(JOIN uses_${folder} ", " allowed)
                    if(NOT allowed)
                        set(allowed "nothing else")
                    endif()
                    string(APPEND problems
                        "  ${shown}: ${line} -- src/${folder} may use only itself and: ${allowed}\n")
                endif()
            elseif(line MATCHES "include[ \t]*\"")
                string(APPEND problems "  ${shown}: ${line} -- includes of the program name their folder\n")
            elseif(line MATCHES "include[ \t]*<Q" AND NOT folder IN_LIST qt_folders)
                string(APPEND problems "  ${shown}: ${line} -- nothing below ui/ includes Qt\n")
            endif()
        endforeach()
    endforeach()
endforeach()

# What each folder links, against its README.
if(NOT EXISTS ${FOLDER_DEPS})
    message(FATAL_ERROR "${FOLDER_DEPS} is missing: configure the build first")
endif()
file(STRINGS ${FOLDER_DEPS} dep_lines)
foreach(line ${dep_lines})
    if(NOT line MATCHES "^([^:]+):(.*)$")
        continue()
    endif()
    set(folder ${CMAKE_MATCH_1})
    separate_arguments(links UNIX_COMMAND "${CMAKE_MATCH_2}")
    set(readme_uses ${uses_${folder}})
    list(SORT links)
    list(SORT readme_uses)
    if(NOT "${links}" STREQUAL "${readme_uses}")
        list(JOIN links ", " shown_links)
        list(JOIN readme_uses ", " shown_uses)
        string(APPEND problems "  src/${folder}: links [${shown_links}] but its README allows [${shown_uses}]\n")
    endif()
endforeach()

list(LENGTH folders folder_count)
if(problems)
    message(FATAL_ERROR "The layering of src/ is broken:\n${problems}")
endif()
message(STATUS "Layering of src/: ${folder_count} folders, ${file_count} files, every include and link allowed")
