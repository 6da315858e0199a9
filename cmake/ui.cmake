# The Qt side: pictrix_ui (every src/<folder>/ui/*.cpp) and the desktop program pictrix.
# Included by the top CMakeLists when PICTRIX_UI is ON.
find_package(Qt6 REQUIRED COMPONENTS Widgets Gui PrintSupport Test)

file(GLOB PICTRIX_UI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/ui/*.cpp)
file(GLOB PICTRIX_UI_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/ui/*.h)
# Program entry points (src/app/ui/main_*.cpp) belong to their executables only.
list(FILTER PICTRIX_UI_SOURCES EXCLUDE REGEX "/main_[^/]*\\.cpp$")

add_library(pictrix_ui STATIC ${PICTRIX_UI_SOURCES} ${PICTRIX_UI_HEADERS})
set_target_properties(pictrix_ui PROPERTIES AUTOMOC ON)
target_compile_options(pictrix_ui PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix_ui PUBLIC pictrix_core Qt6::Widgets Qt6::Gui Qt6::PrintSupport)

add_executable(pictrix ${CMAKE_SOURCE_DIR}/src/app/ui/main_pictrix.cpp)
set_target_properties(pictrix PROPERTIES AUTOMOC ON)
target_compile_options(pictrix PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix PRIVATE pictrix_ui)
