# find_package(Kestra): the module kit of an installed Kestra engine.
#   Kestra::module       include path and export settings for a game module
#   kestra_add_module()  builds prog.so into a runnable folder (KestraModule.cmake)
#   KESTRA_RUNTIME_DIR   engine, engine-headless and the platform library
#   KESTRA_DATA_DIR      the game's data files (sprites.bmp, tiles.bmp, text.bmp, song.mid)
include(${CMAKE_CURRENT_LIST_DIR}/KestraTargets.cmake)
get_filename_component(_kestra_prefix ${CMAKE_CURRENT_LIST_DIR}/../../.. ABSOLUTE)
set(KESTRA_RUNTIME_DIR ${_kestra_prefix}/lib/kestra)
set(KESTRA_DATA_DIR ${_kestra_prefix}/share/kestra)
file(GLOB KESTRA_RUNTIME_FILES ${KESTRA_RUNTIME_DIR}/*)
set(KESTRA_RUNTIME_TARGETS "")
unset(_kestra_prefix)
include(${CMAKE_CURRENT_LIST_DIR}/KestraModule.cmake)
