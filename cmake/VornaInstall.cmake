# What `cmake --install` puts where (GNUInstallDirs): the programs, the help pages, the desktop
# entry, the icons, the software-centre metadata, the manual pages and the package documents.
include(GNUInstallDirs)

# Every installed program, by target name; each has its manual page in data/man/<name>.1.in.
set(VORNA_PROGRAMS
    vorna
    vorna-dbsetup
    vorna-report
)

# The desktop entry, icon and metadata share the name the program gives the desktop
# (QGuiApplication::setDesktopFileName).
set(VORNA_APP_ID org.vorna.vorna)
# The day this version was released (00:00 UTC), for the changelog and the metadata.
set(VORNA_RELEASE_EPOCH 1796601600)

set(VORNA_DATA ${PROJECT_SOURCE_DIR}/data)
set(VORNA_GENERATED ${PROJECT_BINARY_DIR}/data)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${VORNA_RELEASE_EPOCH})
string(TIMESTAMP VORNA_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP VORNA_RELEASE_STAMP "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

# The help pages sit beside the program in the build tree (src/app) and in the shared data
# folder once installed; the program finds the latter relative to itself, so that a package
# unpacked anywhere finds its own pages.
file(RELATIVE_PATH VORNA_HELP_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/vorna/help)
target_compile_definitions(vorna_gui PRIVATE VORNA_HELP_FROM_BINDIR="${VORNA_HELP_FROM_BINDIR}")

install(TARGETS ${VORNA_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/vorna/help)
install(FILES ${VORNA_DATA}/${VORNA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

list(TRANSFORM VORNA_PROGRAMS REPLACE "(.+)" "    <binary>\\1</binary>" OUTPUT_VARIABLE binaries)
list(JOIN binaries "\n" VORNA_PROVIDED_BINARIES)
configure_file(${VORNA_DATA}/${VORNA_APP_ID}.metainfo.xml.in ${VORNA_GENERATED}/${VORNA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${VORNA_GENERATED}/${VORNA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG icons are drawn from the one SVG, which the program also uses as its window icon.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) is needed to draw the icons")
endif()
set(icon_svg ${VORNA_DATA}/icons/${VORNA_APP_ID}.svg)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
set(generated_files)
foreach(size 16 22 24 32 48 64 128 256)
    set(folder ${VORNA_GENERATED}/icons/${size}x${size})
    add_custom_command(OUTPUT ${folder}/${VORNA_APP_ID}.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${folder}/${VORNA_APP_ID}.png ${icon_svg}
        DEPENDS ${icon_svg}
        VERBATIM)
    list(APPEND generated_files ${folder}/${VORNA_APP_ID}.png)
    install(FILES ${folder}/${VORNA_APP_ID}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog are installed compressed, as Debian wants them.
function(vorna_gzip source destination)
    get_filename_component(name ${source} NAME)
    get_filename_component(folder ${source} DIRECTORY)
    add_custom_command(OUTPUT ${source}.gz
        COMMAND gzip -9 -n -k -f ${name}
        WORKING_DIRECTORY ${folder}
        DEPENDS ${source}
        VERBATIM)
    set(generated_files ${generated_files} ${source}.gz PARENT_SCOPE)
    install(FILES ${source}.gz DESTINATION ${destination})
endfunction()

foreach(program ${VORNA_PROGRAMS})
    configure_file(${VORNA_DATA}/man/${program}.1.in ${VORNA_GENERATED}/man/${program}.1 @ONLY)
    vorna_gzip(${VORNA_GENERATED}/man/${program}.1 ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(VORNA_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/vorna)
configure_file(${VORNA_DATA}/doc/changelog.in ${VORNA_GENERATED}/doc/changelog @ONLY)
vorna_gzip(${VORNA_GENERATED}/doc/changelog ${VORNA_DOCDIR})
install(FILES ${VORNA_DATA}/doc/copyright DESTINATION ${VORNA_DOCDIR})

add_custom_target(vorna_data ALL DEPENDS ${generated_files})
