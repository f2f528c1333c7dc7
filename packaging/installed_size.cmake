# Run by CPack once the package is made: CPack's DEB generator counts its own compressed archive
# into Installed-Size (6131 KiB declared for 3804 KiB of files), so the field is computed again
# here as dpkg-gencontrol computes it (each file and link rounded up to a KiB, a KiB for each
# folder) and the package is rebuilt with it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    set(tree "${CPACK_TOPLEVEL_DIRECTORY}/installed-size")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}"
        COMMAND_ERROR_IS_FATAL ANY)
    execute_process(
        COMMAND sh -c "cd \"$1\" && find . -path ./DEBIAN -prune -o -printf '%y %s\\n' |
            awk '{ size += ($1 == \"f\" || $1 == \"l\") ? int(($2 + 1023) / 1024) : 1 }
                 END { print size }'" - "${tree}"
        OUTPUT_VARIABLE size OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    file(READ "${tree}/DEBIAN/control" control)
    string(REGEX REPLACE "Installed-Size: [0-9]+" "Installed-Size: ${size}" control "${control}")
    file(WRITE "${tree}/DEBIAN/control" "${control}")
    execute_process(COMMAND dpkg-deb --root-owner-group --build "${tree}" "${package}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${tree}")
    message(STATUS "Installed-Size: ${size} KiB")
endforeach()
