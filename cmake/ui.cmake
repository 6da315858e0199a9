# The Qt side: pictrix_ui (every src/<folder>/ui/*.cpp) and the desktop program pictrix.
# Included by the top CMakeLists when PICTRIX_UI is ON.
find_package(Qt6 REQUIRED COMPONENTS Widgets Gui PrintSupport Svg)

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
target_link_libraries(pictrix_ui PUBLIC pictrix_core pictrix_containers Qt6::Widgets Qt6::Gui Qt6::PrintSupport Qt6::Svg Cups::Cups)

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

# The program's translations: translations/pictrix_<language>.ts compiled by Qt's lrelease
# (qt6-l10n-tools) into catalogues built into pictrix_ui (:/i18n), so the program carries them
# wherever it goes and the installation has no files more. `cmake --build build --target
# translations-update` reads the sources again (lupdate) and adds new texts, unfinished, to every
# .ts file. The core marks its texts with PICTRIX_TR and PICTRIX_TR_NOOP (base/mTr.h), which
# lupdate takes as QT_TRANSLATE_NOOP.
find_program(PICTRIX_LRELEASE NAMES lrelease-qt6 lrelease
             HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS} ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin)
find_program(PICTRIX_LUPDATE NAMES lupdate-qt6 lupdate
             HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS} ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} /usr/lib/qt6/bin)
if(NOT PICTRIX_LRELEASE)
  message(FATAL_ERROR "Qt's lrelease is missing (Debian: qt6-l10n-tools; scripts/install-deps.sh installs it)")
endif()
file(GLOB PICTRIX_TS_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/translations/pictrix_*.ts)
set(PICTRIX_QM_FILES)
foreach(ts ${PICTRIX_TS_FILES})
  get_filename_component(name ${ts} NAME_WE)
  set(qm ${CMAKE_BINARY_DIR}/translations/${name}.qm)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/translations
    COMMAND ${PICTRIX_LRELEASE} -silent ${ts} -qm ${qm}
    DEPENDS ${ts} COMMENT "Compiling the translation ${name}" VERBATIM)
  list(APPEND PICTRIX_QM_FILES ${qm})
endforeach()
set_source_files_properties(${PICTRIX_QM_FILES} PROPERTIES GENERATED TRUE)
qt_add_resources(pictrix_ui pictrix_translations PREFIX /i18n BASE ${CMAKE_BINARY_DIR}/translations
                 FILES ${PICTRIX_QM_FILES})
if(PICTRIX_LUPDATE)
  add_custom_target(translations-update
    COMMAND ${PICTRIX_LUPDATE} -silent -locations relative -no-obsolete
            -tr-function-alias QT_TRANSLATE_NOOP+=PICTRIX_TR,QT_TRANSLATE_NOOP+=PICTRIX_TR_NOOP
            -extensions cpp,h ${CMAKE_SOURCE_DIR}/src -ts ${PICTRIX_TS_FILES}
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} VERBATIM)
endif()

# The thumbnailer of installer packages and AppImages: their readers' libraries have no static
# archives (libmsi), so it is a second, dynamically linked program with a .thumbnailer file of its
# own; the static one stays as it is for the many icon files and modules a folder holds. It draws
# SVG icons (an AppImage's .DirIcon) with Qt's SVG module, without the windows' libraries.
add_executable(pictrix-container-thumbnailer ${CMAKE_SOURCE_DIR}/src/app/ui/main_container_thumbnailer.cpp
               ${CMAKE_SOURCE_DIR}/src/containers/ui/mSvgIcons.cpp)
target_compile_options(pictrix-container-thumbnailer PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix-container-thumbnailer PRIVATE pictrix_core pictrix_containers Qt6::Gui Qt6::Svg)
