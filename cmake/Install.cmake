# What `cmake --install` adds beside the executables (installed by src/): the placeholder
# picture, the desktop entry, the icons and the AppStream metainfo, all named by VLM_APP_ID;
# and the Debian package that CPack makes of the same tree.

set(VLM_RELEASE_DATE 2026-12-06)
set(VLM_DATA ${CMAKE_SOURCE_DIR}/data)
configure_file(${VLM_DATA}/velmora.desktop.in
               ${CMAKE_BINARY_DIR}/data/${VLM_APP_ID}.desktop @ONLY)
configure_file(${VLM_DATA}/velmora.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/data/${VLM_APP_ID}.metainfo.xml @ONLY)

install(FILES ${VLM_DATA}/noimage.jpg DESTINATION ${CMAKE_INSTALL_DATADIR}/vlm)
install(FILES ${CMAKE_BINARY_DIR}/data/${VLM_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/data/${VLM_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# 32 px is the hand-drawn artwork; the other sizes are rendered from the SVG by
# data/icons/render-icons.sh.
set(VLM_ICONS ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size 16 22 24 32 48 64 128 256)
    if(size EQUAL 32)
        set(icon ${VLM_DATA}/icons/velmora.png)
    else()
        set(icon ${VLM_DATA}/icons/hicolor/velmora-${size}.png)
    endif()
    install(FILES ${icon} DESTINATION ${VLM_ICONS}/${size}x${size}/apps RENAME ${VLM_APP_ID}.png)
endforeach()
install(FILES ${VLM_DATA}/icons/velmora.svg DESTINATION ${VLM_ICONS}/scalable/apps
        RENAME ${VLM_APP_ID}.svg)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora
        RENAME copyright)

# The package: `cpack -G DEB` in the build folder. Its dependencies come from the libraries the
# two executables link (dpkg-shlibdeps); Qt's platform and picture plugins for X11 ship in
# libqt6gui6, the SVG module comes in through the picture helper. libwmf needs the URW fonts
# to draw text, which Debian only recommends (scripts/install-deps.sh --print-runtime).
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora <vlm@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop wallpaper changer on a timer")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora changes the desktop wallpaper by itself from an ordered collection of pictures\n\
(BMP, DIB, JPEG, PNG, GIF, ICO, WMF, EMF, WebP, TIFF, HEIC/HEIF, AVIF, JPEG XL, SVG, SVGZ\n\
and GNOME background files), in list order or at random, at an interval in seconds,\n\
minutes or hours. It lives in the notification area. The interface is Czech.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.velmora.example/aplikace.htm)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-urw-base35, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-comic-neue)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS qt6-wayland)
include(CPack)
