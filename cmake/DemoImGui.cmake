# Dear ImGui with its GLFW and OpenGL 3 back-ends, as the interface target demo_imgui.
# - vcpkg (features glfw-binding, opengl3-binding): the imgui config, target imgui::imgui, with
#   every header flat in one folder.
# - Debian's libimgui-dev: a pkg-config file only, headers with the back-ends under backends/.
# The panel includes <backends/imgui_impl_*.h>; for the flat layout, forwarding headers under a
# generated backends/ folder give the same names.
add_library(demo_imgui INTERFACE)
find_package(imgui CONFIG QUIET)
if(TARGET imgui::imgui)
  target_link_libraries(demo_imgui INTERFACE imgui::imgui)
  get_target_property(imgui_includes imgui::imgui INTERFACE_INCLUDE_DIRECTORIES)
  find_path(DEMO_IMGUI_BACKEND_DIR imgui_impl_opengl3.h HINTS ${imgui_includes})
  if(NOT DEMO_IMGUI_BACKEND_DIR)
    message(FATAL_ERROR "imgui was found without its OpenGL 3 back-end: install imgui[glfw-binding,opengl3-binding]")
  endif()
  if(NOT EXISTS ${DEMO_IMGUI_BACKEND_DIR}/backends/imgui_impl_opengl3.h)
    set(forward_dir ${CMAKE_BINARY_DIR}/imgui-forward)
    foreach(backend imgui_impl_glfw imgui_impl_opengl3)
      set(forward_header ${forward_dir}/backends/${backend}.h)
      set(forward_text "#pragma once\n#include <${backend}.h>\n")
      set(written "")
      if(EXISTS ${forward_header})
        file(READ ${forward_header} written)
      endif()
      if(NOT written STREQUAL forward_text) # rewritten only when it differs: no rebuild per configure
        file(WRITE ${forward_header} "${forward_text}")
      endif()
    endforeach()
    target_include_directories(demo_imgui INTERFACE ${forward_dir})
  endif()
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
  target_link_libraries(demo_imgui INTERFACE PkgConfig::IMGUI)
endif()
