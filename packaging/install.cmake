# Installing Vantrel and its Debian package.
#
#   <prefix>/lib/vantrel/vantrel, Vantrel.uir   the program and its panel resource,
#                                               side by side as the program wants
#   <prefix>/bin/vantrel -> ../lib/vantrel/vantrel
#   <prefix>/bin/vantrel-sim                    the simulated sensor
#   <prefix>/bin/vantrel-cli                    the sensor from a script
#   <prefix>/share/doc/vantrel/                 README, docs/, copyright, changelog
#   <prefix>/share/applications, metainfo, icons/hicolor, man/man1
#   <prefix>/share/bash-completion/completions/vantrel-cli
#   <prefix>/lib/udev/rules.d/70-vantrel.rules  serial adapters for the operator
#   <prefix>/lib/systemd/system/vantrel-publish@.service, share/doc/vantrel/examples/
#                                               a sensor published to an MQTT broker
#
# Tests, benchmarks and tools are not installed.

# The project's web address: the home page, and where the screenshots of the
# software centre's page are fetched from (the same pictures as in docs/).
set(VANTREL_PROJECT_URL "https://example.org/vantrel" CACHE STRING
    "Project home page; the screenshots lie under <url>/docs/")
# The software centre's id, in reverse-DNS form; the desktop entry and the icons
# carry the same name.
set(VANTREL_APP_ID "org.example.vantrel")
set(VANTREL_MAINTAINER "The Vantrel developers <vantrel@example.org>")
set(VANTREL_SUMMARY "configuration and observation tool for an optical line sensor")

set(pkg ${CMAKE_SOURCE_DIR}/packaging)
set(gen ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${gen})

# The release date of this version (SOURCE_DATE_EPOCH when set: reproducible).
string(TIMESTAMP VANTREL_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VANTREL_RELEASE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${pkg}/vantrel.metainfo.xml.in ${gen}/${VANTREL_APP_ID}.metainfo.xml @ONLY)
configure_file(${pkg}/changelog.Debian.in ${gen}/changelog.Debian @ONLY)
configure_file(${pkg}/copyright.in ${gen}/copyright @ONLY)
# The licence text, each line indented and empty lines as " .", as the
# machine-readable copyright format writes it.
file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE licence_lines)
set(licence_text "")
foreach(line IN LISTS licence_lines)
  if(line STREQUAL "")
    string(APPEND licence_text " .\n")
  else()
    string(APPEND licence_text " ${line}\n")
  endif()
endforeach()
file(READ ${gen}/copyright copyright_head)
file(WRITE ${gen}/copyright "${copyright_head}${licence_text}")
# A relative link, so it holds under any prefix and inside the package.
file(CREATE_LINK ../lib/vantrel/vantrel ${gen}/vantrel SYMBOLIC)

# Man pages and the Debian changelog, compressed as Debian wants them
# (-n: no name or time stamp inside, so the result is reproducible).
set(compressed "")
# vantrel-cli's page is made from its table of commands at build time.
foreach(source IN ITEMS ${pkg}/vantrel.1 ${pkg}/vantrel-sim.1 ${CMAKE_BINARY_DIR}/vantrel-cli.1
                        ${gen}/changelog.Debian)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${gen}/${name}.gz
    COMMAND gzip -9nc ${source} > ${gen}/${name}.gz
    DEPENDS ${source} vantrel_cli_docs VERBATIM)
  list(APPEND compressed ${gen}/${name}.gz)
endforeach()
add_custom_target(vantrel_packaging_files ALL DEPENDS ${compressed})

install(TARGETS vantrel RUNTIME DESTINATION lib/vantrel)
install(FILES ${CMAKE_SOURCE_DIR}/Vantrel.uir DESTINATION lib/vantrel)
install(FILES ${gen}/vantrel DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vantrel-sim vantrel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/vantrel-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vantrel-cli)
# A stripped install (the package's) also drops the compilers' signatures, as
# Debian's own strip step does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program lib/vantrel/vantrel ${CMAKE_INSTALL_BINDIR}/vantrel-sim
                    ${CMAKE_INSTALL_BINDIR}/vantrel-cli)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${program}\")
    endforeach()
  endif()")

file(GLOB doc_pages ${CMAKE_SOURCE_DIR}/docs/*.md)
file(GLOB doc_pictures ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${gen}/copyright ${gen}/changelog.Debian.gz
        DESTINATION ${VANTREL_DOCDIR})
install(FILES ${doc_pages} ${doc_pictures} DESTINATION ${VANTREL_DOCDIR}/docs)
install(FILES ${gen}/vantrel.1.gz ${gen}/vantrel-sim.1.gz ${gen}/vantrel-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${pkg}/vantrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        RENAME ${VANTREL_APP_ID}.desktop)
install(FILES ${gen}/${VANTREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg}/icons/vantrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VANTREL_APP_ID}.svg)
foreach(size IN ITEMS 16 24 32 48 64 128 256)
  install(FILES ${pkg}/icons/vantrel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VANTREL_APP_ID}.png)
endforeach()
install(FILES ${pkg}/70-vantrel.rules DESTINATION lib/udev/rules.d)
# Publishing to a plant: the systemd unit template (vantrel-publish@NAME runs
# vantrel-cli publish --config /etc/vantrel/publish-NAME.conf) and an example
# of that conf.
install(FILES ${pkg}/vantrel-publish@.service DESTINATION lib/systemd/system)
install(FILES ${pkg}/publish-line1.conf DESTINATION ${VANTREL_DOCDIR}/examples)

# The Debian package: `cpack -G DEB` in the build folder (`make package`).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantrel developers")
set(CPACK_PACKAGE_CONTACT ${VANTREL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${VANTREL_SUMMARY})
# CPack puts the summary before it as the synopsis line.
set(CPACK_PACKAGE_DESCRIPTION "Vantrel configures and observes a Q-VOR optical line sensor (a CCD line of
512 or 1024 pixels that finds edges and judges them against a taught
set-point and tolerance) over an RS-232 line or a USB-serial adapter.
.
It reads and writes the sensor's parameter sets (RAM, EEPROM or a parameter
file), shows the edges, the measured value and the raw video line as they
come, teaches the set-point and the background, and records the line and the
measurements. A line monitor shows every byte exchanged with the sensor and
can record it to a trace file.
.
The package also holds vantrel-cli, the sensor from a script (line check,
identity, parameter sets, backups and measurements, on one sensor or every
sensor of a machine, without a display), vantrel-sim, a simulated sensor on
a pseudo-terminal for trying the program out without hardware, and a udev
rule that gives the person at the seat access to USB-serial adapters.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTREL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VANTREL_PROJECT_URL})
# Qt's libraries come from dpkg-shlibdeps; the platform plugins are loaded at
# run time, so nothing links them and they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
