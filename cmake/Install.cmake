# Installs the plug-in bundles into the user's plug-in folders.
set(REBONDO_PLUGIN_HOME "$ENV{HOME}" CACHE PATH "Folder that receives .lv2 and .vst3")
foreach(format LV2 VST3)
    if(TARGET Rebondo_${format})
        get_target_property(artefacts Rebondo_${format} LIBRARY_OUTPUT_DIRECTORY)
        string(TOLOWER "${format}" lower)
        install(DIRECTORY "${artefacts}/Rebondo.${lower}"
                DESTINATION "${REBONDO_PLUGIN_HOME}/.${lower}"
                USE_SOURCE_PERMISSIONS)
    endif()
endforeach()
