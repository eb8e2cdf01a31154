# `make package` (or `cpack` in the build folder): a Debian package of the programs, their help,
# man pages, desktop entry, icon and AppStream description, installed under /usr. Its
# dependencies on the Qt runtime come from dpkg-shlibdeps, as in Debian's own packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrano)
set(CPACK_PACKAGE_VENDOR "Veltrano Software")
set(CPACK_PACKAGE_CONTACT "Veltrano Software <support@veltrano.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "protects the source of static web pages")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.veltrano.example/")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
HTML Veltrano 3 is a wizard for webmasters that makes the source of static
web pages hard to read and to copy: JavaScript re-encoding through a
character table, decimal character references, a fake error comment and
blank lines, and a script that blocks the context menu, selection and
printing. Jobs are saved as project files; the batch tool veltrano-batch
converts a saved project without a window.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries are found by dpkg-shlibdeps; the window needs, besides them, Qt's platform
# plugin for X11 and Wayland, which no program links against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's own German texts (file dialog, buttons) and the desktop's way of opening help and links.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
include(CPack)
