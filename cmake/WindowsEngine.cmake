# The Windows engine beside the toolkit: Deploy Now copies VelloranEngine.exe
# from the toolkit's own folder, so a Linux build that can cross-compile puts
# it (and the event viewer's EvntMsg.dll) there. Without the cross compiler
# the toolkit is built alone; docs/guide/developers.md, "The Windows cross build".
find_program(VELLORAN_MINGW_CXX x86_64-w64-mingw32-g++-posix)
option(VELLORAN_WINDOWS_ENGINE_BESIDE_TOOLKIT
       "Cross-build VelloranEngine.exe into the toolkit's folder when MinGW-w64 is installed" ON)
if(NOT VELLORAN_MINGW_CXX OR NOT VELLORAN_WINDOWS_ENGINE_BESIDE_TOOLKIT OR NOT TARGET VelloranDeploymentToolkit)
  return()
endif()

include(ExternalProject)
# The same tree and options as scripts/build-windows.sh, which the CI stage
# points at it (BUILD=build/windows-engine) so the engine is compiled once.
set(windows_dir ${PROJECT_BINARY_DIR}/windows-engine)
# The cross compiler must see Asio alone, not the rest of /usr/include.
set(windows_asio ${windows_dir}/asio-include)
file(MAKE_DIRECTORY ${windows_asio})
file(CREATE_LINK ${ASIO_INCLUDE_DIR}/asio.hpp ${windows_asio}/asio.hpp SYMBOLIC)
file(CREATE_LINK ${ASIO_INCLUDE_DIR}/asio ${windows_asio}/asio SYMBOLIC)
ExternalProject_Add(windows_engine
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${windows_dir}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG"
    -DASIO_INCLUDE_DIR=${windows_asio} -DVELLORAN_WERROR=${VELLORAN_WERROR}
    -DVELLORAN_BUILD_TESTS=OFF -DVELLORAN_BUILD_BENCH=OFF -DVELLORAN_BUILD_TOOLKIT=OFF
    -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  # velloran.exe as well: the Windows stage and the zip take it from this tree.
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${windows_dir} --target VelloranEngine EvntMsg velloran
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different
    ${windows_dir}/engine/VelloranEngine.exe ${windows_dir}/engine/EvntMsg.dll
    ${windows_dir}/engine/velloran.exe $<TARGET_FILE_DIR:VelloranDeploymentToolkit>
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)
