# The game as a Debian package (scripts/package.sh runs CPack on this): the
# install component "game", laid out as Debian lays out games. The launcher
# /usr/games/kestra starts /usr/lib/kestra/engine, which finds prog.so and the
# platform library beside itself; the data files lie in /usr/share/games/kestra.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()
set(KESTRA_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

# The changelog's newest entry must name the version being packaged.
file(STRINGS ${KESTRA_PACKAGING}/changelog KESTRA_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT KESTRA_CHANGELOG_TOP MATCHES "^kestra \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with an entry for version ${PROJECT_VERSION}")
endif()

# Icons made by the asset maker from the game's own art, and the compressed
# manual page and changelog.
set(KESTRA_ICONS ${CMAKE_BINARY_DIR}/icons)
set(KESTRA_PACKAGE_FILES ${CMAKE_BINARY_DIR}/package-files)
add_custom_command(
  OUTPUT ${KESTRA_ICONS}/256x256/apps/kestra.png
  COMMAND assetgen --icons ${KESTRA_ICONS}
  DEPENDS assetgen
  COMMENT "Writing the desktop icons into ${KESTRA_ICONS}"
  VERBATIM)
foreach(page kestra.6 changelog)
  add_custom_command(
    OUTPUT ${KESTRA_PACKAGE_FILES}/${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRA_PACKAGE_FILES}
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${KESTRA_PACKAGING}/${page} ${KESTRA_PACKAGE_FILES}/${page}.gz
    DEPENDS ${KESTRA_PACKAGING}/${page}
    VERBATIM)
endforeach()
add_custom_target(package-files ALL DEPENDS ${KESTRA_ICONS}/256x256/apps/kestra.png
                  ${KESTRA_PACKAGE_FILES}/kestra.6.gz ${KESTRA_PACKAGE_FILES}/changelog.gz)

# Debian's usual hardening of what is shipped: checked string and memory calls,
# and a read-only table of resolved symbols (optimised builds without sanitizers).
if(NOT KESTRA_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "^Rel")
  foreach(target enginecore engine gameobj prog platform)
    target_compile_definitions(${target} PRIVATE _FORTIFY_SOURCE=2)
    target_link_options(${target} PRIVATE -Wl,-z,relro,-z,now)
  endforeach()
endif()

install(TARGETS engine prog platform
        RUNTIME DESTINATION lib/kestra COMPONENT game
        LIBRARY DESTINATION lib/kestra COMPONENT game)
# The window icon lies beside the engine, where it looks for it.
install(FILES ${GAME_DIR}/icon.bmp DESTINATION lib/kestra COMPONENT game)
# The launcher, with the version it answers to --version.
configure_file(${KESTRA_PACKAGING}/kestra.sh ${KESTRA_PACKAGE_FILES}/kestra @ONLY)
install(PROGRAMS ${KESTRA_PACKAGE_FILES}/kestra DESTINATION games COMPONENT game)
install(FILES ${GAME_DIR}/tiles.bmp ${GAME_DIR}/sprites.bmp ${GAME_DIR}/text.bmp ${GAME_DIR}/song.mid
        DESTINATION share/games/kestra COMPONENT game)
install(FILES ${KESTRA_PACKAGING}/kestra.desktop DESTINATION share/applications COMPONENT game)
install(DIRECTORY ${KESTRA_ICONS}/ DESTINATION share/icons/hicolor COMPONENT game)
install(FILES ${KESTRA_PACKAGE_FILES}/kestra.6.gz DESTINATION share/man/man6 COMPONENT game)
install(FILES ${KESTRA_PACKAGING}/copyright ${KESTRA_PACKAGE_FILES}/changelog.gz DESTINATION share/doc/kestra
        COMPONENT game)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Only the game's files, in one package: other components (such as headers
# for module authors) stay out of it. (Without component installation CPack
# would install every component.)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kestra maintainers <maintainers@users.noreply.c-seed-0ce0507d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vertically scrolling shooter steered with the mouse")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kestra is a 2D shoot'em up: fly a fighter up a scrolling landscape, steer it
with the mouse, fire at the craft that come at you and collect badges that
give wing guns, spread shots, missiles and more. The best score is kept for
each player.")
# Libraries from the binaries themselves, plus the General MIDI soundfont that
# the music is played with (the same choice SDL2_mixer's own package makes).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${GAME_DIR})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sf3-soundfont-gm")
# xmessage, which shows the launcher's refusals to a player without a terminal.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "x11-utils")
include(CPack)
