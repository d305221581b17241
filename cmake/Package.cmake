# The Debian package, made by `cpack -G DEB` in a build folder: one package,
# folder-tools, holding both programs. They are one project with one version,
# licence and help style, and each is small; two packages would only double
# the metadata. scripts/build-package.sh builds it with Debian's flags.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${FT_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Folder Tools Project")
set(CPACK_PACKAGE_CONTACT "Folder Tools Project <maintainers@foldertools.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "open or delete a folder from a small Japanese window")
set(CPACK_PACKAGE_DESCRIPTION
"Two small desktop tools with a Japanese interface, one folder at a time:
tervano opens a folder in the desktop's file manager; quistel deletes a
folder into the trash or permanently, without asking. Both write launcher
scripts that repeat the action unattended (-a).")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Install straight under /usr with DESTDIR, so that install-time code sees
# the package's own prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${FT_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A Japanese font for the window's text (IPA P Gothic first: its narrow kana
# fit the buttons), xdg-open to open folders and help pages, Qt's own
# Japanese texts (buttons of the standard dialogs).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic, xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")

include(CPack)
