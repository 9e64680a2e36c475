# Installs the programs as a desktop program (menu entry, icon, man page) and describes the Debian
# package cpack makes of them. Everything installed belongs to the component `kld540`, and the
# package holds that component alone: test, bench and fuzz programs are never installed, and an
# install rule some bundled third-party project might bring along stays out of the package too.
include(GNUInstallDirs)

set(KLD_INSTALL_COMPONENT kld540)
set(kld_packaging_dir ${CMAKE_CURRENT_LIST_DIR})
set(kld_icon_dir ${CMAKE_BINARY_DIR}/packaging/icons)
set(kld_icon_sizes 48 64 128 256)

install(TARGETS kld540 kld540-cli kvrx540-sim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${KLD_INSTALL_COMPONENT})

install(FILES ${kld_packaging_dir}/kld540.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ${KLD_INSTALL_COMPONENT})

# The icons are drawn at build time by the code that draws the window's icon, so the menu never
# shows an older logo than the program does, and no picture is kept in the repository.
add_executable(kld540-render-icon ${kld_packaging_dir}/render_icon.cpp)
target_link_libraries(kld540-render-icon PRIVATE kld_ui)
set(kld_icons)
foreach(size IN LISTS kld_icon_sizes)
  list(APPEND kld_icons ${kld_icon_dir}/kld540-${size}.png)
  install(FILES ${kld_icon_dir}/kld540-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kld540.png COMPONENT ${KLD_INSTALL_COMPONENT})
endforeach()
add_custom_command(
  OUTPUT ${kld_icons}
  COMMAND kld540-render-icon ${kld_icon_dir} ${kld_icon_sizes}
  DEPENDS kld540-render-icon
  COMMENT "Drawing the kld540 icons"
  VERBATIM)

# The man page carries the release number; Debian keeps man pages compressed.
configure_file(${kld_packaging_dir}/kld540-cli.1.in ${CMAKE_BINARY_DIR}/packaging/kld540-cli.1
               @ONLY)
set(kld_man_page ${CMAKE_BINARY_DIR}/packaging/kld540-cli.1.gz)
add_custom_command(
  OUTPUT ${kld_man_page}
  COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/packaging/kld540-cli.1 > ${kld_man_page}
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/kld540-cli.1
  COMMENT "Compressing the kld540-cli man page")
install(FILES ${kld_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT ${KLD_INSTALL_COMPONENT})

add_custom_target(kld540-desktop-files ALL DEPENDS ${kld_icons} ${kld_man_page})

# The Debian package: cpack --config build/CPackConfig.cmake -G DEB -B build/pkg
set(CPACK_PACKAGE_NAME kld540)
set(CPACK_PACKAGE_VERSION ${kld540_VERSION})
set(CPACK_PACKAGE_VENDOR "KLD-540 Dataloader team")
set(KLD_PACKAGE_MAINTAINER "KLD-540 Dataloader team <kld540@example.invalid>"
    CACHE STRING "The Maintainer field of the Debian package: a name and a mail address")
set(CPACK_PACKAGE_CONTACT ${KLD_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming software for the KVRX-540 VHF radio")
set(CPACK_PACKAGE_DESCRIPTION
    "Edits the KVRX-540 radio's 233-record channel memory under the radio's rules, sends it\n"
    "to a radio over a serial cable and reads it back, keeps it in .540 data files, imports\n"
    "older files and writes listings. Comes as the desktop program kld540, its command-line\n"
    "twin kld540-cli and kvrx540-sim, a simulated radio to try them on.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};kld540;${KLD_INSTALL_COMPONENT};/")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names every library the programs link, with its version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
