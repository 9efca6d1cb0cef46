# The module kit: everything a game module needs to be built and run outside
# this tree, installed as the component "sdk":
#   cmake --install build --prefix PREFIX --component sdk
# gives PREFIX/include/kestra (the interface headers), PREFIX/lib/cmake/Kestra
# (find_package(Kestra)), PREFIX/lib/kestra (the engine) and PREFIX/share/kestra
# (the game's data files). Inside the tree the same kit builds examples/.

# Include path and export settings of a module: only what PROG_EXPORT marks
# is exported.
add_library(kestra_module INTERFACE)
add_library(Kestra::module ALIAS kestra_module)
set_target_properties(kestra_module PROPERTIES EXPORT_NAME module)
target_include_directories(kestra_module INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}> $<INSTALL_INTERFACE:include/kestra>)
target_compile_features(kestra_module INTERFACE cxx_std_17)
if(NOT WIN32)
  target_compile_options(kestra_module INTERFACE -fvisibility=hidden -fvisibility-inlines-hidden)
endif()

# In-tree modules take the engine from this build.
set(KESTRA_RUNTIME_FILES $<TARGET_FILE:engine> $<TARGET_FILE:engine-headless> $<TARGET_FILE:platform>)
set(KESTRA_RUNTIME_TARGETS engine engine-headless platform assets)
set(KESTRA_DATA_DIR ${GAME_DIR})
set(KESTRA_MODULE_FOLDER_ROOT ${CMAKE_BINARY_DIR}/examples)
include(${CMAKE_CURRENT_LIST_DIR}/KestraModule.cmake)

install(TARGETS kestra_module EXPORT KestraTargets COMPONENT sdk)
install(EXPORT KestraTargets NAMESPACE Kestra:: DESTINATION lib/cmake/Kestra COMPONENT sdk)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/KestraConfig.cmake ${CMAKE_CURRENT_LIST_DIR}/KestraModule.cmake
  DESTINATION lib/cmake/Kestra COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/interface/prog.h ${CMAKE_SOURCE_DIR}/interface/scene.h
  ${CMAKE_SOURCE_DIR}/interface/image.h DESTINATION include/kestra/interface COMPONENT sdk)
# The image records hold DirectDraw types, declared by the platform.
install(FILES ${CMAKE_SOURCE_DIR}/platform/winapi.h ${CMAKE_SOURCE_DIR}/platform/ddraw.h
  ${CMAKE_SOURCE_DIR}/platform/win32.h ${CMAKE_SOURCE_DIR}/platform/mmsystem.h
  DESTINATION include/kestra/platform COMPONENT sdk)
install(TARGETS engine engine-headless platform
  RUNTIME DESTINATION lib/kestra COMPONENT sdk
  LIBRARY DESTINATION lib/kestra COMPONENT sdk)
install(FILES ${GAME_DIR}/tiles.bmp ${GAME_DIR}/sprites.bmp ${GAME_DIR}/text.bmp ${GAME_DIR}/song.mid
  DESTINATION share/kestra COMPONENT sdk)
