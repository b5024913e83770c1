# The browser build: Emscripten, with SDL2, libpng, libjpeg and zlib built for
# WebAssembly into KELP_WEB_LIBRARIES by scripts/build-web.
set(KELP_WEB_LIBRARIES "" CACHE PATH "Where scripts/build-web installed the libraries built for the browser")
if(NOT EXISTS "${KELP_WEB_LIBRARIES}/lib/libSDL2.a")
  message(FATAL_ERROR "Build for the browser with scripts/build-web: it builds SDL2 and the picture libraries first")
endif()
set(KELP_TESTS OFF CACHE BOOL "" FORCE)
set(KELP_BENCHMARKS OFF CACHE BOOL "" FORCE)
set(SDL2_DIR "${KELP_WEB_LIBRARIES}/lib/cmake/SDL2")
set(ZLIB_ROOT "${KELP_WEB_LIBRARIES}")
# The emulation of fixed-function OpenGL over WebGL comes with the link flags.
add_library(OpenGL::GL INTERFACE IMPORTED)
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
