# FreeImage as the target FreeImage::FreeImage, found either way it is installed:
# - vcpkg's port installs a package config (find_package(freeimage CONFIG), freeimage::FreeImage);
# - Debian ships neither a CMake config nor a pkg-config file: the header and the library are
#   looked up by hand.
find_package(freeimage CONFIG QUIET)
if(TARGET freeimage::FreeImage)
  if(NOT TARGET FreeImage::FreeImage)
    add_library(FreeImage::FreeImage INTERFACE IMPORTED)
    set_target_properties(FreeImage::FreeImage PROPERTIES INTERFACE_LINK_LIBRARIES freeimage::FreeImage)
  endif()
  set(FreeImage_FOUND TRUE)
  return()
endif()

find_path(FreeImage_INCLUDE_DIR FreeImage.h)
find_library(FreeImage_LIBRARY NAMES freeimage FreeImage)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(FreeImage REQUIRED_VARS FreeImage_LIBRARY FreeImage_INCLUDE_DIR)

if(FreeImage_FOUND AND NOT TARGET FreeImage::FreeImage)
  add_library(FreeImage::FreeImage UNKNOWN IMPORTED)
  set_target_properties(FreeImage::FreeImage PROPERTIES
    IMPORTED_LOCATION "${FreeImage_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${FreeImage_INCLUDE_DIR}")
endif()
mark_as_advanced(FreeImage_INCLUDE_DIR FreeImage_LIBRARY)
