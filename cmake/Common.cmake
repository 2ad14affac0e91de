# Compiler settings shared by every target of both presets.

# Sources are UTF-8; the program's texts become GBK bytes in the binary.
# (clang cannot convert literals to GBK; it builds only the fuzz targets, whose
# code holds no Chinese text.)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(
    $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>
    $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=GBK>)
endif()
add_compile_options(
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wall>
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wextra>
  $<$<COMPILE_LANGUAGE:C,CXX>:-Werror>
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wshadow>
  $<$<COMPILE_LANGUAGE:C,CXX>:-Wnon-virtual-dtor>
)

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One self-contained executable: no libgcc/libstdc++/winpthread DLLs.
  add_link_options(-static)
  set(VQ_PLATFORM win32)
else()
  set(VQ_PLATFORM posix)
  if(VQ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# libjpeg: Debian's libjpeg62-turbo natively, the cross-built static one for Windows.
if(WIN32)
  set(_vq_jpeg "${VQ_CACHE_DIR}/libjpeg-turbo-mingw")
  if(NOT EXISTS "${_vq_jpeg}/lib/libjpeg.a")
    message(FATAL_ERROR "libjpeg-turbo for mingw is missing: run scripts/setup")
  endif()
  add_library(vq_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(vq_jpeg PROPERTIES
    IMPORTED_LOCATION "${_vq_jpeg}/lib/libjpeg.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_vq_jpeg}/include")
  set(_vq_gtest "${VQ_CACHE_DIR}/googletest-mingw")
  list(PREPEND CMAKE_PREFIX_PATH "${_vq_gtest}")
  list(APPEND CMAKE_FIND_ROOT_PATH "${_vq_gtest}")
else()
  find_package(JPEG REQUIRED)
  add_library(vq_jpeg INTERFACE IMPORTED GLOBAL)
  target_link_libraries(vq_jpeg INTERFACE JPEG::JPEG)
endif()
add_library(vq::jpeg ALIAS vq_jpeg)

if(NOT VQ_FUZZ)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
