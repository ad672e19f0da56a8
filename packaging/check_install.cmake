# Installs the build into a staging folder and checks that the installed tree is complete.
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    bin/mezni-odchylka
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/man/man1/mezni-odchylka.1.gz
    share/doc/mezni-odchylka/copyright
    share/doc/mezni-odchylka/changelog.gz
    share/icons/hicolor/scalable/apps/${APP_ID}.svg)
foreach(size IN LISTS ICON_SIZES)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
endforeach()
foreach(path IN LISTS expected)
    if(NOT EXISTS ${STAGE}/${path})
        message(FATAL_ERROR "missing from the installed tree: ${path}")
    endif()
endforeach()
execute_process(COMMAND test -x ${STAGE}/bin/mezni-odchylka RESULT_VARIABLE not_executable)
if(not_executable)
    message(FATAL_ERROR "bin/mezni-odchylka is not executable")
endif()
message(STATUS "installed tree complete: ${STAGE}")
