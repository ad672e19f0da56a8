# The portable folder, as `cmake --install` lays it out: the program and its console twin, the Qt
# libraries (shared, so that a user can replace them, as the LGPL asks), the Windows platform and
# style plugins, Qt's Czech texts, the mingw runtime and the licenses; nothing else.
install(TARGETS mezni-odchylka mezni-odchylka-console RUNTIME DESTINATION .)
set(qt ${QT6_INSTALL_PREFIX})
install(FILES ${qt}/bin/Qt6Core.dll ${qt}/bin/Qt6Gui.dll ${qt}/bin/Qt6Widgets.dll
              ${MO_MINGW_RUNTIME} ${CMAKE_CURRENT_SOURCE_DIR}/windows/qt.conf
        DESTINATION .)
install(FILES ${qt}/plugins/platforms/qwindows.dll DESTINATION plugins/platforms)
install(FILES ${qt}/plugins/styles/qwindowsvistastyle.dll DESTINATION plugins/styles)
# Qt's own Czech catalogue from Debian's qt6-translations-l10n, made for this very Qt.
find_file(MO_QTBASE_CS qtbase_cs.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${MO_QTBASE_CS} DESTINATION translations)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# What the folder holds and how to run the console program from it, for Notepad: CRLF, and the
# byte-order mark the source file starts with. The portable folder's own; the installer puts its
# own in its place (PATH, uninstalling).
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/README-installed.txt.in
               ${CMAKE_BINARY_DIR}/README-installed.txt @ONLY NEWLINE_STYLE CRLF)
install(DIRECTORY ${qt}/licenses/ DESTINATION licenses/Qt)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/windows/LICENSES.txt DESTINATION licenses)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright DESTINATION licenses
        RENAME mingw-gcc-copyright.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright DESTINATION licenses
        RENAME mingw-w64-copyright.txt)
# Linked in statically: zlib's minizip and zlib, for the zip container of workbooks.
install(FILES ${qt}/share/minizip/copyright DESTINATION licenses RENAME minizip-copyright.txt)
install(FILES /usr/share/doc/libz-mingw-w64-dev/copyright DESTINATION licenses
        RENAME zlib-copyright.txt)

# The installer's and the uninstaller's hand on PATH: installed by the installer only, with no
# runtime to find (static).
add_executable(mezni-odchylka-path WIN32 windows/pathentry.cpp)
target_link_options(mezni-odchylka-path PRIVATE -municode -static)
target_link_libraries(mezni-odchylka-path PRIVATE shell32)
set_target_properties(mezni-odchylka-path PROPERTIES AUTOMOC OFF)
mo_warnings(mezni-odchylka-path)

# The installer's and the uninstaller's scripts, with the version and the names filled in;
# scripts/windows runs makensis over them with the lists of files to install and remove.
foreach(script common.nsh installer.nsi uninstall.nsi)
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/windows/${script}.in ${CMAKE_BINARY_DIR}/${script}
                   @ONLY)
endforeach()
# The picture beside the installer's first and last pages: the program's icon, rendered as the
# icon is.
set(picture ${CMAKE_BINARY_DIR}/installer-picture.bmp)
add_custom_command(OUTPUT ${picture}
    COMMAND mo_render_icons --picture ${picture} 164 314
    DEPENDS mo_render_icons
    COMMENT "Rendering the installer's picture")
add_custom_target(mo_installer_picture ALL DEPENDS ${picture})

# Stripped as shipped: `cmake --install --strip` strips the programs, and this the DLLs.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB_RECURSE dlls \"\${CMAKE_INSTALL_PREFIX}/*.dll\")
        foreach(dll IN LISTS dlls)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${dll}\"
                            COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")
