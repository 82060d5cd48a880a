# `cmake --install build` copies the plug-in bundles into the user's plug-in
# folders (~/.lv2 and ~/.vst3, or below REBONDO_PLUGIN_HOME).
set(REBONDO_PLUGIN_HOME "$ENV{HOME}" CACHE PATH "Folder that receives .lv2 and .vst3")
foreach(format LV2 VST3)
    if(TARGET Rebondo_${format})
        string(TOLOWER "${format}" lower)
        install(DIRECTORY "${CMAKE_BINARY_DIR}/Rebondo_artefacts/$<CONFIG>/${format}/Rebondo.${lower}"
                DESTINATION "${REBONDO_PLUGIN_HOME}/.${lower}"
                USE_SOURCE_PERMISSIONS)
    endif()
endforeach()
