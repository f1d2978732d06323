# The Windows downloads, made by `cpack` in the cross-build folder:
#  - a zip to unpack and run: both programs, the web page and the studio (from
#    the web build), the sample questionnaire as script.txt beside them, a
#    short README.txt and the guide to writing questions, script-format.txt;
#  - an installer (NSIS) with the same files, Start-menu entries and an
#    uninstaller. The window's entry starts it with --user-folder, so that each
#    user answers in a folder of their own (Documents\Kinpath) holding a copy of
#    the sample that is made once and never overwritten.

install(FILES ${PROJECT_SOURCE_DIR}/examples/script.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/data/windows/README.txt DESTINATION .)
# Markdown reads as plain text: as .txt with CR LF line ends, like README.txt,
# it opens in any Windows editor on a double-click.
configure_file(${PROJECT_SOURCE_DIR}/docs/script-format.md ${CMAKE_BINARY_DIR}/script-format.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/script-format.txt DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Kinpath)
set(CPACK_PACKAGE_VENDOR "Kinpath developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Race and class chooser questionnaire for role-playing game players")
set(CPACK_PACKAGE_FILE_NAME Kinpath-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kinpath)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Kinpath)
set(CPACK_STRIP_FILES ON)

# A 64-bit installer for the 64-bit programs.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_PACKAGE_NAME Kinpath)
set(CPACK_NSIS_DISPLAY_NAME Kinpath)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME kinpath.exe)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
if(KINPATH_WINDOWS_ICON)
  set(CPACK_NSIS_MUI_ICON ${KINPATH_WINDOWS_ICON})
  set(CPACK_NSIS_MUI_UNIICON ${KINPATH_WINDOWS_ICON})
endif()
# The entries live in the Start-menu folder the user picked ($STARTMENU_FOLDER
# while installing, $MUI_TEMP while uninstalling, as the template names them).
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Kinpath.lnk' '$INSTDIR\\\\kinpath.exe' '--user-folder'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Kinpath README.lnk' '$INSTDIR\\\\README.txt'
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Writing questions.lnk' '$INSTDIR\\\\script-format.txt'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA
    "Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Kinpath.lnk'
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Kinpath README.lnk'
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Writing questions.lnk'")
# The studio's entry is a shortcut to the page: it opens in the default browser.
if(KINPATH_STUDIO)
  string(APPEND CPACK_NSIS_CREATE_ICONS_EXTRA "
  CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Kinpath Studio.lnk' '$INSTDIR\\\\kinpath-studio.html'")
  string(APPEND CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Kinpath Studio.lnk'")
endif()
