# What scripts/package makes with CPack from what `cmake --install` puts in
# place: the Debian package on Linux, the zip of tunecrate.exe for Windows.
set(CPACK_PACKAGE_NAME tunecrate)
set(CPACK_PACKAGE_VENDOR Quillmar)
set(CPACK_PACKAGE_CONTACT Quillmar)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Whatever the umask of the machine that builds the package.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
    # tunecrate-<version>-windows-x64.zip holds a folder of that name with
    # tunecrate.exe (linked without symbols already), README.txt and LICENSE.txt.
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    # Notepad on older Windows shows LF-only text as one line.
    configure_file(resources/windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
    # LICENSE.txt: Tunecrate's licence, then the notices of the MinGW-w64 and GCC
    # runtime parts that the static link puts into tunecrate.exe.
    set(licence_parts LICENSE resources/windows/linked-notices.txt)
    set(licence_text)
    foreach(part IN LISTS licence_parts)
        file(READ ${part} part_text)
        string(APPEND licence_text "${part_text}")
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${licence_parts})
    file(CONFIGURE OUTPUT LICENSE.txt CONTENT "${licence_text}" @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt
        DESTINATION .)
    include(CPack)
    return()
endif()

set(CPACK_GENERATOR DEB)
# One line of the package's long description each, as Debian wants them short.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Pick a playlist (extended or plain M3U, a plain text list of paths, or PLS)"
    "and a target folder, press Save, and Tunecrate copies every file the playlist"
    "names into that folder, with per-file progress, a running log and a Cancel"
    "button. The interface speaks English and German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# tunecrate_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Depends comes from the libraries the program links, through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without a font that covers them, Chinese, Japanese and Korean file names in the
# log show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)

include(CPack)
