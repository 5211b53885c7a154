# Where `cmake --install` puts the program and the files that make it a
# desktop program: launcher, AppStream metadata and the icon in three sizes.
set(QM_APP_ID org.quenmark.Quenmark)
set(QM_DATA_DIR ${PROJECT_SOURCE_DIR}/data)

# The program links only system libraries: no run path, as Debian asks.
set_target_properties(quenmark PROPERTIES INSTALL_RPATH "")
install(TARGETS quenmark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QM_DATA_DIR}/${QM_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${QM_DATA_DIR}/${QM_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/data/${QM_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/${QM_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QM_DATA_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quenmark)

# The icon is drawn once, as SVG; the pixel sizes are rendered from it, so the
# three never drift apart.
set(icon_svg ${QM_DATA_DIR}/icons/${QM_APP_ID}.svg)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_pngs)
foreach(size 48 256)
  set(png ${PROJECT_BINARY_DIR}/data/icons/${size}x${size}/${QM_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/data/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
    DEPENDS ${icon_svg}
    COMMENT "Rendering the ${size}x${size} icon")
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(quenmark_icons ALL DEPENDS ${icon_pngs})
