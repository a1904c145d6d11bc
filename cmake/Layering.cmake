# tempovir_library(<name> [USES <libraries...>] [QT <modules...>] [LIBS <targets...>] SOURCES <files...>)
#
# The static library tempovir_<name> of one folder (platform_linux is platform/linux). USES
# names the program's libraries it builds on, QT the Qt modules and LIBS the other libraries
# it may use. The folder may include its own headers and those of the folders it uses,
# nothing else: a check that runs with every build fails on an include against the layering,
# and a Qt module or system library the folder does not name is not there to include.
function(tempovir_library name)
    cmake_parse_arguments(L "" "" "USES;QT;LIBS;SOURCES" ${ARGN})
    set(target tempovir_${name})
    add_library(${target} STATIC ${L_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    foreach(module IN LISTS L_QT)
        target_link_libraries(${target} PUBLIC Qt6::${module})
    endforeach()
    foreach(library IN LISTS L_USES)
        target_link_libraries(${target} PUBLIC tempovir_${library})
    endforeach()
    target_link_libraries(${target} PUBLIC ${L_LIBS})

    set(allowed ${name} ${L_USES})
    set(forbidden)
    if(NOT "PkgConfig::PULSE" IN_LIST L_LIBS)
        list(APPEND forbidden "pulse/")
    endif()
    if(NOT "PkgConfig::XCB" IN_LIST L_LIBS)
        list(APPEND forbidden "xcb/")
    endif()
    set(sources)
    foreach(source IN LISTS L_SOURCES)
        # The folder's own files; generated ones are the build's.
        if(source MATCHES "\\.(h|cpp)$" AND NOT IS_ABSOLUTE "${source}")
            list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${source})
        endif()
    endforeach()
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.includes-checked)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} "-DALLOWED=${allowed}" "-DFORBIDDEN=${forbidden}" "-DSOURCES=${sources}"
                -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
        DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
        COMMENT "Checking the includes of ${target}"
        VERBATIM)
    add_custom_target(${target}_includes DEPENDS ${stamp})
    add_dependencies(${target} ${target}_includes)
endfunction()

# Adds every folder below <folder> that has a CMakeLists.txt: one per benchmark or test area.
function(tempovir_add_subfolders folder)
    file(GLOB children LIST_DIRECTORIES true "${folder}/*")
    foreach(child IN LISTS children)
        if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
            add_subdirectory("${child}")
        endif()
    endforeach()
endfunction()
