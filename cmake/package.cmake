# make deb: a Debian package of what make install puts under /usr, built by CPack from the build
# folder as it is. The package's own documents (copyright, changelog) and lintian's overrides are
# staged only into the package, never by a plain make install.
# make deb builds first; the package is made of the build as it is, never building it again.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pictrix developers <dev@pictrix.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find, show and save the icons inside Windows programs")
set(CPACK_PACKAGE_DESCRIPTION "Pictrix lists every icon group stored in icon files and Windows modules
(PE32, PE32+ and NE: EXE, DLL, OCX, CPL, ICL...), shows each group's images,
saves an icon as an .ico file, exports images as PNG and starts an icon
editor. Its search window walks folders, keeps checked lists of files and
extracts every icon of them in one batch; pictrix-cli does the same for
whole collections, and pictrix-thumbnailer shows modules with their icons
in file managers. No code of the files it reads is ever run.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pictrix.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pictrix-cli cursor-theme loads libXcursor when it writes a theme, and reading an installer package
# loads libmsi (mInstaller), which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libxcursor1, libmsi0")
# Qt's own dialogs in the user's language; the program's own catalogues are built into it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Every component in the one package.
set(CPACK_DEB_COMPONENT_INSTALL OFF)

set(_pictrix_debian ${CMAKE_BINARY_DIR}/debian-docs)
string(TIMESTAMP _pictrix_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${_pictrix_debian}/changelog
"pictrix (${PROJECT_VERSION}) unstable; urgency=medium

  * Built from the project's sources by make deb.

 -- ${CPACK_PACKAGE_CONTACT}  ${_pictrix_date}
")
# A package of this project is the project's own, not Debian's: the changelog is the native one.
install(CODE "execute_process(COMMAND gzip -9nf \"${_pictrix_debian}/changelog\" -c OUTPUT_FILE \"${_pictrix_debian}/changelog.gz\")"
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${_pictrix_debian}/changelog.gz ${CMAKE_SOURCE_DIR}/data/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pictrix COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME pictrix COMPONENT debian EXCLUDE_FROM_ALL)
# The package writes no file outside its own list: no maintainer script. Which program opens a type
# by default is, under /usr, the choice of the distribution's defaults
# (/usr/share/applications/[<desktop>-]mimeapps.list, owned by the desktops' packages) and of the
# user; a program package lists the types it opens in its entry and leaves that choice alone
# (make install, whose /usr/local comes before /usr, keeps the defaults of /usr instead:
# scripts/keep-defaults.sh).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The components the package holds: the programs and their data, the thumbnailer, and its own
# documents (left out of make install by EXCLUDE_FROM_ALL).
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};Pictrix;Unspecified;/"
    "${CMAKE_BINARY_DIR};Pictrix;thumbnailer;/"
    "${CMAKE_BINARY_DIR};Pictrix;debian;/")
include(CPack)
