# macOS: the program as an application bundle. What it looks for from its own
# folder (Contents/MacOS) is put where it looks: the RtMidi module (CoreMIDI)
# beside it, the help page in ../share/hrz2000e/help. At install macdeployqt
# copies Qt's frameworks and plug-ins in and rewrites the load paths, the
# module's too. Not built or run by this project's CI; the hosted workflow
# builds it.
set_target_properties(hrz2000e PROPERTIES
    MACOSX_BUNDLE ON
    MACOSX_BUNDLE_BUNDLE_NAME "HRZ2000e"
    MACOSX_BUNDLE_GUI_IDENTIFIER "com.lumivale.hrz2000e"
    MACOSX_BUNDLE_BUNDLE_VERSION "${PROJECT_VERSION}"
    MACOSX_BUNDLE_SHORT_VERSION_STRING "${PROJECT_VERSION}"
    MACOSX_BUNDLE_COPYRIGHT "GPL-3.0-or-later")
# In the build folder too, so that the built bundle finds its module.
set_target_properties(hrz2000e-rtmidi PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/app/hrz2000e.app/Contents/MacOS)

set(HRZ_BUNDLE_CONTENTS hrz2000e.app/Contents)
install(TARGETS hrz2000e-rtmidi LIBRARY DESTINATION ${HRZ_BUNDLE_CONTENTS}/MacOS)
file(GLOB HRZ_BUNDLE_HELP_IMAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/help/*.png)
install(FILES ${PROJECT_SOURCE_DIR}/docs/contents.htm ${PROJECT_SOURCE_DIR}/docs/hrzctl.md
    DESTINATION ${HRZ_BUNDLE_CONTENTS}/share/hrz2000e/help)
install(FILES ${HRZ_BUNDLE_HELP_IMAGES} DESTINATION ${HRZ_BUNDLE_CONTENTS}/share/hrz2000e/help/help)

find_program(HRZ_MACDEPLOYQT macdeployqt HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
if(HRZ_MACDEPLOYQT)
    install(CODE "
        execute_process(COMMAND \"${HRZ_MACDEPLOYQT}\" \"\${CMAKE_INSTALL_PREFIX}/hrz2000e.app\"
            \"-executable=\${CMAKE_INSTALL_PREFIX}/${HRZ_BUNDLE_CONTENTS}/MacOS/$<TARGET_FILE_NAME:hrz2000e-rtmidi>\"
            COMMAND_ERROR_IS_FATAL ANY)")
else()
    message(WARNING "macdeployqt not found: the installed bundle will use the Qt of this machine")
endif()
