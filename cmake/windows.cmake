# The Windows folder and its zip: engine.exe and prog.dll from this build, the
# data files from the native build, whose asset maker writes them.
set(KESTRA_NATIVE_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "The native build folder (data files, screen checker)")
set(KESTRA_DATA_FILES tiles.bmp sprites.bmp text.bmp song.mid)
list(TRANSFORM KESTRA_DATA_FILES PREPEND ${KESTRA_NATIVE_BUILD}/game/ OUTPUT_VARIABLE data_sources)
set(zip ${CMAKE_BINARY_DIR}/kestra-windows.zip)
set(stage ${CMAKE_BINARY_DIR}/zip-stage)
# The zip holds one folder, kestra/, that runs wherever it is unpacked.
add_custom_command(
  OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E copy ${data_sources} ${GAME_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/kestra
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:engine> $<TARGET_FILE:prog> ${data_sources} ${stage}/kestra
  COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip kestra
  DEPENDS engine prog ${data_sources}
  COMMENT "Packing kestra-windows.zip")
add_custom_target(windows_zip ALL DEPENDS ${zip})
