# Install rules and the Debian package. The application id names the desktop entry, the
# metainfo and the icon, and is what the running program tells the desktop.
include(GNUInstallDirs)

install(TARGETS tempovir RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(linux_dir ${PROJECT_SOURCE_DIR}/res/linux)
install(FILES ${linux_dir}/${TEMPOVIR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_dir}/${TEMPOVIR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The application icon, as drawn for the program: the SVG source and crisp PNG sizes.
set(icons_dir ${PROJECT_SOURCE_DIR}/res/icons)
install(FILES ${icons_dir}/tempovir.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TEMPOVIR_APP_ID}.svg)
foreach(size IN ITEMS 16 32 48 128)
    install(FILES ${icons_dir}/tempovir-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${TEMPOVIR_APP_ID}.png)
endforeach()

# Man pages, compressed as Debian expects.
find_program(GZIP_EXECUTABLE gzip)
foreach(lang IN ITEMS "" "fr")
    if(lang)
        set(src ${PROJECT_SOURCE_DIR}/docs/man/${lang}/tempovir.1)
        set(dest ${CMAKE_INSTALL_MANDIR}/${lang}/man1)
        set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${lang}/tempovir.1.gz)
    else()
        set(src ${PROJECT_SOURCE_DIR}/docs/man/tempovir.1)
        set(dest ${CMAKE_INSTALL_MANDIR}/man1)
        set(out ${CMAKE_CURRENT_BINARY_DIR}/man/tempovir.1.gz)
    endif()
    get_filename_component(out_dir ${out} DIRECTORY)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${src} > ${out}
        DEPENDS ${src} VERBATIM)
    list(APPEND man_pages ${out})
    install(FILES ${out} DESTINATION ${dest})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})

# Debian's own documentation files: the copyright notice and the compressed changelog.
set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
    COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${linux_dir}/changelog > ${changelog_gz}
    DEPENDS ${linux_dir}/changelog VERBATIM)
add_custom_target(changelog ALL DEPENDS ${changelog_gz})
install(FILES ${linux_dir}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME tempovir)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tempovir")
set(CPACK_PACKAGE_CONTACT "Tempovir developers <dev@tempovir.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop clock with eight alarms and automatic power-off")
set(CPACK_PACKAGE_DESCRIPTION "Tempovir shows the time in a resizable window, as large digits
or as a clock face, and keeps eight alarms. An alarm shows a note at the
bottom right of the screen and plays a short melody, or switches the
computer off after a 30-second countdown that can be cancelled. Its user
interface is in French.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The layouts name Tahoma, MS Sans Serif, Arial and Verdana: their free stand-ins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-liberation, fonts-dejavu-core, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
