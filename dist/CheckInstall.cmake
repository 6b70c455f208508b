# Installs the build with prefix /usr into a scratch DESTDIR and compares the installed
# files with installed-files.txt; validates the installed desktop entry and AppStream data;
# checks that the changelog and the AppStream release name the project's version, and that
# the Debian package's own dependencies bring the Qt plugins a Wayland session needs.
# Run by CTest as the test install_files.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${STAGE_DIR})
set(ENV{DESTDIR} ${STAGE_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cmake --install failed: ${failed}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${STAGE_DIR} ${STAGE_DIR}/*)
list(TRANSFORM installed PREPEND /)
file(STRINGS ${SOURCE_DIR}/installed-files.txt expected)
# Sets <result> to the entries of list <items> that list <others> lacks.
function(entries_not_in items others result)
    set(lacking)
    foreach(entry IN LISTS ${items})
        if(NOT entry IN_LIST ${others})
            list(APPEND lacking ${entry})
        endif()
    endforeach()
    set(${result} ${lacking} PARENT_SCOPE)
endfunction()
entries_not_in(expected installed missing)
entries_not_in(installed expected stray)
if(missing OR stray)
    list(JOIN missing "\n  " missing)
    list(JOIN stray "\n  " stray)
    message(FATAL_ERROR "Installed files differ from installed-files.txt.\n"
                        "Not installed:\n  ${missing}\nNot listed:\n  ${stray}")
endif()

# Runs a validator; its warnings fail the test as its errors do.
function(validate)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE output
                    ERROR_VARIABLE output)
    if(failed OR output MATCHES "(^|\n)[EW]: |: (error|warning): ")
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "${command}:\n${output}")
    endif()
endfunction()
find_program(desktop_file_validate desktop-file-validate REQUIRED)
find_program(appstreamcli appstreamcli REQUIRED)
validate(${desktop_file_validate} ${STAGE_DIR}/usr/share/applications/${APP_ID}.desktop)
validate(${appstreamcli} validate-tree --no-net ${STAGE_DIR}/usr)

file(STRINGS ${SOURCE_DIR}/changelog latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^kelmi \\(${VERSION}\\) ")
    message(FATAL_ERROR "The changelog's latest entry is not version ${VERSION}: ${latest}")
endif()
file(READ ${SOURCE_DIR}/${APP_ID}.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"${VERSION}\"")
    message(FATAL_ERROR "The AppStream data has no release ${VERSION}")
endif()

# Qt loads its platform and the plugins around it by name, where dpkg-shlibdeps cannot see
# them: the packages that hold those a Wayland session needs (the platform, the window shell,
# the title bar that the console draws itself where the compositor draws none) must be among
# the dependencies Package.cmake names.
find_program(dpkg_query dpkg-query REQUIRED)
string(REGEX REPLACE " *\\([^)]*\\)" "" depends "${PACKAGE_DEPENDS}")
string(REGEX REPLACE " *, *" ";" depends "${depends}")
foreach(plugin platforms/libqwayland-generic.so wayland-shell-integration/libxdg-shell.so
               wayland-decoration-client/libbradient.so)
    execute_process(COMMAND ${dpkg_query} --search ${QT_PLUGINS_DIR}/${plugin}
                    RESULT_VARIABLE failed OUTPUT_VARIABLE owner ERROR_QUIET)
    if(failed)
        message(FATAL_ERROR "No installed package holds Qt's ${plugin} (scripts/setup installs it)")
    endif()
    # "qt6-wayland:amd64: /usr/lib/.../libqwayland-generic.so"
    string(REGEX REPLACE "[:,].*" "" owner "${owner}")
    if(NOT owner IN_LIST depends)
        message(FATAL_ERROR "The package does not depend on ${owner}, which holds Qt's ${plugin}: "
                            "add it to CPACK_DEBIAN_PACKAGE_DEPENDS in Package.cmake")
    endif()
endforeach()
