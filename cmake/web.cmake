# The browser site (scripts/build-web.sh): index.html, the engine as engine.js
# and engine.wasm, the module prog.wasm and the data files, which the asset
# maker of the native build writes. Every path in it is relative, so any
# static web server serves it.
set(KESTRA_NATIVE_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "The native build folder (data files)")
find_program(KESTRA_NODE node REQUIRED)

# The engine exports exactly what the module imports (-sMAIN_MODULE=2 keeps
# nothing else).
set(module_imports ${CMAKE_BINARY_DIR}/module-imports.json)
set(module_library ${CMAKE_BINARY_DIR}/module-library.json)
add_custom_command(
  OUTPUT ${module_imports} ${module_library}
  COMMAND ${KESTRA_NODE} ${CMAKE_SOURCE_DIR}/web/module_imports.js $<TARGET_FILE:prog> ${module_imports}
          ${module_library}
  DEPENDS prog ${CMAKE_SOURCE_DIR}/web/module_imports.js
  COMMENT "Listing what prog.wasm imports from the engine"
  VERBATIM)
add_custom_target(module_imports DEPENDS ${module_imports} ${module_library})
add_dependencies(engine module_imports)

# ASYNCIFY lets the engine's loop stay a loop: the backend yields to the
# browser where a desktop waits (see platform/web_backend.cpp). EXIT_RUNTIME:
# when main returns, exit handlers run as on the desktop (the page then says
# that the game has ended).
set(preload ${CMAKE_SOURCE_DIR}/platform/web_preload.js)
target_link_libraries(engine PRIVATE platform)
target_link_options(engine PRIVATE
  -sMAIN_MODULE=2 -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1
  -sEXPORTED_FUNCTIONS=@${module_imports} -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${module_library}
  --pre-js ${preload})
set_target_properties(engine PROPERTIES LINK_DEPENDS "${module_imports};${module_library};${preload}")

set(KESTRA_DATA_FILES tiles.bmp sprites.bmp text.bmp song.mid)
list(TRANSFORM KESTRA_DATA_FILES PREPEND ${KESTRA_NATIVE_BUILD}/game/ OUTPUT_VARIABLE data_sources)
set(site_files ${GAME_DIR}/index.html ${GAME_DIR}/tiles.bmp ${GAME_DIR}/sprites.bmp ${GAME_DIR}/text.bmp
               ${GAME_DIR}/song.mid)
add_custom_command(
  OUTPUT ${site_files}
  COMMAND ${CMAKE_COMMAND} -E copy ${data_sources} ${CMAKE_SOURCE_DIR}/web/index.html ${GAME_DIR}
  DEPENDS ${data_sources} ${CMAKE_SOURCE_DIR}/web/index.html
  COMMENT "Copying the page and the data files into ${GAME_DIR}"
  VERBATIM)

# The tune as the browser plays it: song.mid rendered once, with the General
# MIDI soundfont the desktop plays it with, at the desktop's loudness (synth
# gain 0.5: RMS about -21.5 dB over the first 20 s, as SDL2_mixer's), into
# song.ogg beside it, which the page streams (web_backend.cpp).
set(KESTRA_SOUNDFONT /usr/share/sounds/sf2/TimGM6mb.sf2 CACHE FILEPATH "The General MIDI soundfont of the tune")
find_program(KESTRA_FLUIDSYNTH fluidsynth REQUIRED)
find_program(KESTRA_SOX sox REQUIRED)
set(tune_wav ${CMAKE_BINARY_DIR}/song.wav)
add_custom_command(
  OUTPUT ${GAME_DIR}/song.ogg
  COMMAND ${KESTRA_FLUIDSYNTH} -ni -q -g 0.5 -r 44100 -F ${tune_wav} ${KESTRA_SOUNDFONT}
          ${KESTRA_NATIVE_BUILD}/game/song.mid
  COMMAND ${KESTRA_SOX} ${tune_wav} ${GAME_DIR}/song.ogg
  COMMAND ${CMAKE_COMMAND} -E remove ${tune_wav}
  DEPENDS ${KESTRA_NATIVE_BUILD}/game/song.mid
  COMMENT "Rendering song.mid for the browser"
  VERBATIM)
add_custom_target(web_site ALL DEPENDS ${site_files} ${GAME_DIR}/song.ogg)

# The replay engine (tests and benchmarks; not part of the site): engine-replay
# runs engine-headless's scripted, seeded runs in a page, the same engine on
# the browser backend driven through its replay controls
# (tools/web/replay_main.cpp). build-web/replay/ holds its page replay.html,
# engine-replay.js and engine-replay.wasm, the same prog.wasm and the data
# files. The runner's sources come with it; only stb's image writer among the
# system's headers, as emscripten must see no other.
set(KESTRA_STB_WRITE_HEADER /usr/include/stb/stb_image_write.h CACHE FILEPATH "stb's image writer header")
set(REPLAY_DIR ${CMAKE_BINARY_DIR}/replay)
configure_file(${KESTRA_STB_WRITE_HEADER} ${CMAKE_BINARY_DIR}/stb-only/stb/stb_image_write.h COPYONLY)
add_executable(engine-replay ${CMAKE_SOURCE_DIR}/tools/web/replay_main.cpp ${CMAKE_SOURCE_DIR}/tools/web/glibc_rand.cpp
                             ${CMAKE_SOURCE_DIR}/tools/headless/runner.cpp)
target_include_directories(engine-replay SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/stb-only)
target_link_libraries(engine-replay PRIVATE enginecore platform)
get_target_property(engine_link_options engine LINK_OPTIONS)
get_target_property(engine_link_depends engine LINK_DEPENDS)
target_link_options(engine-replay PRIVATE ${engine_link_options})
set_target_properties(engine-replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${REPLAY_DIR}
                                               LINK_DEPENDS "${engine_link_depends}")
add_dependencies(engine-replay module_imports)
set(replay_files ${REPLAY_DIR}/replay.html ${REPLAY_DIR}/prog.wasm ${REPLAY_DIR}/tiles.bmp ${REPLAY_DIR}/sprites.bmp
                 ${REPLAY_DIR}/text.bmp ${REPLAY_DIR}/song.mid)
add_custom_command(
  OUTPUT ${replay_files}
  COMMAND ${CMAKE_COMMAND} -E copy ${data_sources} $<TARGET_FILE:prog> ${CMAKE_SOURCE_DIR}/tools/web/replay.html
          ${REPLAY_DIR}
  DEPENDS ${data_sources} prog ${CMAKE_SOURCE_DIR}/tools/web/replay.html
  COMMENT "Copying the replay page, the module and the data files into ${REPLAY_DIR}"
  VERBATIM)
add_custom_target(web_replay ALL DEPENDS ${replay_files} engine-replay)

# The starfield example as the browser's module too: built like prog.wasm into
# a site of its own (build-web/starfield) with the same page, engine and tune,
# the engine therefore also exporting what starfield imports. Then the page's tests
# (tests/web), run with `ctest --test-dir build-web`.
set(starfield_site ${CMAKE_BINARY_DIR}/starfield)
add_executable(starfield ${CMAKE_SOURCE_DIR}/examples/starfield/starfield.cpp)
target_link_options(starfield PRIVATE -sSIDE_MODULE=1)
set_target_properties(starfield PROPERTIES OUTPUT_NAME prog SUFFIX ".wasm" RUNTIME_OUTPUT_DIRECTORY ${starfield_site}
                                           CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
add_custom_command(OUTPUT ${module_imports} APPEND
  COMMAND ${KESTRA_NODE} ${CMAKE_SOURCE_DIR}/web/module_imports.js $<TARGET_FILE:prog> ${module_imports}
          ${module_library} $<TARGET_FILE:starfield>
  DEPENDS starfield)
add_custom_target(starfield_site ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:engine> ${GAME_DIR}/engine.wasm
          ${GAME_DIR}/index.html ${KESTRA_NATIVE_BUILD}/game/sprites.bmp ${KESTRA_NATIVE_BUILD}/game/song.mid
          ${GAME_DIR}/song.ogg ${starfield_site}
  COMMENT "Copying the page, the engine and starfield's data files into ${starfield_site}"
  VERBATIM)
add_dependencies(starfield_site engine starfield web_site)
enable_testing()
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/web ${CMAKE_BINARY_DIR}/tests/web)
