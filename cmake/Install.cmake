# What `cmake --install` puts under the prefix on POSIX, besides the programs
# and their help (lib/PROGRAM/):
#
#   bin/PROGRAM                         relative link to lib/PROGRAM/PROGRAM
#   share/applications/ID.desktop       Exec names PREFIX/bin/PROGRAM
#   share/metainfo/ID.metainfo.xml      AppStream description
#   share/icons/hicolor/*/apps/PROGRAM.*
#   share/man/man1/PROGRAM.1.gz, share/man/ja/man1/PROGRAM.1.gz
#   share/doc/folder-tools/copyright, changelog.gz
#
# The prefix is that of the install run (`--prefix`, or the package's /usr),
# not the one known when the build was configured, so the desktop entries are
# written at install time.

set(FT_HOMEPAGE "https://foldertools.org" CACHE STRING "Home page named by the metadata")
set(FT_APP_ID_PREFIX "org.foldertools" CACHE STRING
    "Reverse-DNS prefix of the desktop entry and AppStream ids")
set(FT_PACKAGE_NAME folder-tools)
set(FT_DOC_DIR share/doc/${FT_PACKAGE_NAME})

find_program(FT_GZIP gzip REQUIRED)

set(ft_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(ft_staged ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${ft_staged}/links ${ft_staged}/man/ja)

# Reproducible gzip: no name, no time stamp.
function(ft_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${FT_GZIP} -9 -n -c ${source} > ${output}
        DEPENDS ${source}
        VERBATIM)
    list(APPEND ft_gzipped ${output})
    set(ft_gzipped ${ft_gzipped} PARENT_SCOPE)
endfunction()

set(ft_gzipped)
foreach(program tervano quistel)
    set(id ${FT_APP_ID_PREFIX}.${program})

    file(RELATIVE_PATH link_target /prefix/bin
        /prefix/${FT_INSTALL_PROGRAM_DIR}/${program}/${program})
    file(CREATE_LINK ${link_target} ${ft_staged}/links/${program} SYMBOLIC)
    # file(INSTALL) copies a link as a link.
    install(FILES ${ft_staged}/links/${program} DESTINATION bin)

    install(CODE "
        set(FT_DESKTOP_SOURCE \"${PROJECT_SOURCE_DIR}/resources/${program}.desktop.in\")
        set(FT_DESKTOP_STAGE \"${ft_staged}/${id}.desktop\")
        set(FT_DESKTOP_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/bin/${program}\")
        include(\"${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake\")")

    configure_file(${ft_packaging}/${program}.metainfo.xml.in
        ${ft_staged}/${id}.metainfo.xml @ONLY)
    install(FILES ${ft_staged}/${id}.metainfo.xml DESTINATION share/metainfo)

    foreach(size 16 22 24 32 48 64 128 256)
        install(FILES resources/images/hicolor/${size}x${size}/${program}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps)
    endforeach()
    install(FILES resources/images/${program}-48.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${program}.svg)

    ft_gzip(${ft_packaging}/man/${program}.1 ${ft_staged}/man/${program}.1.gz)
    ft_gzip(${ft_packaging}/man/ja/${program}.1 ${ft_staged}/man/ja/${program}.1.gz)
    install(FILES ${ft_staged}/man/${program}.1.gz DESTINATION share/man/man1)
    install(FILES ${ft_staged}/man/ja/${program}.1.gz DESTINATION share/man/ja/man1)
endforeach()

ft_gzip(${ft_packaging}/changelog ${ft_staged}/changelog.gz)
add_custom_target(ft_packaging_files ALL DEPENDS ${ft_gzipped})
install(FILES ${ft_packaging}/copyright ${ft_staged}/changelog.gz DESTINATION ${FT_DOC_DIR})
