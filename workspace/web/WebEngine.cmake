# The web page dialog shows pages inside the program with Qt WebEngine
# (Debian: qt6-webengine-dev). Without it the dialog opens addresses in the
# desktop's browser; configuring says which of the two this build does, and
# QUILLORA_WEB_ENGINE=OFF chooses the browser on purpose.
option(QUILLORA_WEB_ENGINE "Show web pages inside the program with Qt WebEngine" ON)
if(QUILLORA_WEB_ENGINE)
    find_package(Qt6 QUIET COMPONENTS WebEngineWidgets)
    if(TARGET Qt6::WebEngineWidgets)
        message(STATUS "Web pages: shown inside the program (Qt WebEngine)")
        target_link_libraries(quillora_workspace PUBLIC Qt6::WebEngineWidgets)
        target_compile_definitions(quillora_workspace PUBLIC QUILLORA_HAS_WEBENGINE)
    else()
        message(WARNING "Qt WebEngine not found (qt6-webengine-dev): web pages open in the "
                        "desktop's browser. Configure with -DQUILLORA_WEB_ENGINE=OFF to choose "
                        "this on purpose.")
    endif()
else()
    message(STATUS "Web pages: opened in the desktop's browser (QUILLORA_WEB_ENGINE=OFF)")
endif()
