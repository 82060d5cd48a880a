# Warnings as errors for our own sources only: JUCE's module sources compiled
# into the same target keep their own warning level.
function(rebondo_enable_warnings target)
    get_target_property(sources ${target} SOURCES)
    foreach(src IN LISTS sources)
        if(src MATCHES "${CMAKE_SOURCE_DIR}/(source|tests|benchmarks|tools)/.*\\.cpp$")
            set_source_files_properties(${src} TARGET_DIRECTORY ${target} PROPERTIES
                COMPILE_OPTIONS "-Wall;-Wextra;-Wshadow;-Wconversion;-Wno-sign-conversion;-Werror")
        endif()
    endforeach()
endfunction()
