# A system library that is not among the system's known libraries is loaded on first use
# instead of at start: by then main.exe has limited the library search to the system
# folder, so a file of the same name put beside the program is never loaded instead.
# Known libraries that only a rare path needs (COM) are loaded on first use too: a
# program that stays in the tray then never pays for them.
# soriel_delay_loaded(<name>) gives the link target delayload_<name>; cmake/delayload/<name>.def
# lists the functions the program takes from it (a function missing there fails the link).
function(soriel_delay_loaded name)
    set(target delayload_${name})
    if(TARGET ${target})
        return()
    endif()
    add_library(${target} INTERFACE)
    if(MSVC)
        target_link_libraries(${target} INTERFACE ${name} delayimp)
        target_link_options(${target} INTERFACE /DELAYLOAD:${name}.dll)
        return()
    endif()
    find_program(SORIEL_DLLTOOL NAMES ${MINGW_PREFIX}-dlltool dlltool REQUIRED)
    set(definition ${PROJECT_SOURCE_DIR}/cmake/delayload/${name}.def)
    set(library ${CMAKE_BINARY_DIR}/delayload/lib${name}_delay.a)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delayload)
    execute_process(COMMAND ${SORIEL_DLLTOOL} --input-def ${definition} --dllname ${name}.dll
                            --output-delaylib ${library}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dlltool could not make the delay-load library for ${name}.dll")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${definition})
    target_link_libraries(${target} INTERFACE ${library} delayimp)
endfunction()
