# The Qt side: pictrix_ui (every src/<folder>/ui/*.cpp) and the desktop program pictrix.
# Included by the top CMakeLists when PICTRIX_UI is ON.
find_package(Qt6 REQUIRED COMPONENTS Widgets Gui PrintSupport)

file(GLOB PICTRIX_UI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/ui/*.cpp)
file(GLOB PICTRIX_UI_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/ui/*.h)
# Program entry points (src/app/ui/main_*.cpp) belong to their executables only.
list(FILTER PICTRIX_UI_SOURCES EXCLUDE REGEX "/main_[^/]*\\.cpp$")

add_library(pictrix_ui STATIC ${PICTRIX_UI_SOURCES} ${PICTRIX_UI_HEADERS})
set_target_properties(pictrix_ui PROPERTIES AUTOMOC ON)
target_compile_options(pictrix_ui PRIVATE ${PICTRIX_WARNINGS})
# libcups tells whether a queue takes jobs and what became of the job sent, which Qt's print
# support does not report.
find_package(Cups REQUIRED)
target_link_libraries(pictrix_ui PUBLIC pictrix_core Qt6::Widgets Qt6::Gui Qt6::PrintSupport Cups::Cups)

add_executable(pictrix ${CMAKE_SOURCE_DIR}/src/app/ui/main_pictrix.cpp)
set_target_properties(pictrix PROPERTIES AUTOMOC ON)
target_compile_options(pictrix PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix PRIVATE pictrix_ui)

# The program's icon in the hicolor theme, drawn by pictrix-icons at build time (make install puts
# the folder under share/icons/hicolor).
add_executable(pictrix-icons ${CMAKE_SOURCE_DIR}/src/app/ui/main_icons.cpp)
target_compile_options(pictrix-icons PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix-icons PRIVATE pictrix_ui)
set(PICTRIX_ICON_THEME_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
set(_icon_theme_stamp ${PICTRIX_ICON_THEME_DIR}/256x256/mimetypes/application-x-pictrix-recurse-list.png)
add_custom_command(OUTPUT ${_icon_theme_stamp}
  COMMAND pictrix-icons ${PICTRIX_ICON_THEME_DIR}
  DEPENDS pictrix-icons
  COMMENT "Drawing the program's icon"
  VERBATIM)
add_custom_target(icon_theme ALL DEPENDS ${_icon_theme_stamp})
