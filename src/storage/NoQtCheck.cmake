# Fails when a storage source includes a Qt header. Used as a function at
# configure time and as a script (-DSOURCE_DIR=...) before each build.
function(tavik_check_no_qt sources)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q|qt)")
        if(includes)
            message(FATAL_ERROR "${source} includes a Qt header (${includes}); "
                                "storage must build with the standard library only")
        endif()
    endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND SOURCE_DIR)
    file(GLOB script_sources ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
    tavik_check_no_qt("${script_sources}")
endif()
