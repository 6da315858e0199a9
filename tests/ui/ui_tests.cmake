# test_ui: the Qt Test program. Every tests/ui/*.cpp is compiled into it; each test class registers
# itself with PICTRIX_UI_TEST (mUiTest.h) and main_ui.cpp runs them all. Qt's Test module is the
# tests' alone; the program never links it.
find_package(Qt6 REQUIRED COMPONENTS Test)
include(${CMAKE_CURRENT_LIST_DIR}/../doubles/doubles.cmake)
file(GLOB ui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp ${CMAKE_CURRENT_LIST_DIR}/*.h)
list(FILTER ui_test_sources EXCLUDE REGEX "/main_atspi_windows\\.cpp$")
add_executable(test_ui ${ui_test_sources})
set_target_properties(test_ui PROPERTIES AUTOMOC ON)
target_compile_options(test_ui PRIVATE ${PICTRIX_WARNINGS})
target_include_directories(test_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(test_ui PRIVATE pictrix_ui_doubles Qt6::Test)
target_compile_definitions(test_ui PRIVATE
  PICTRIX_FIXTURE_DIR="${PICTRIX_FIXTURE_DIR}"
  PICTRIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  PICTRIX_BINARY_DIR="${CMAKE_BINARY_DIR}"
  PICTRIX_CONVERT="${PICTRIX_CONVERT}"
  PICTRIX_PYTHON="${PICTRIX_PYTHON}")
# The end-to-end printing test runs the desktop program; the cursor tests hold the main window's
# saves against pictrix-cli's extraction.
add_dependencies(test_ui fixtures pictrix pictrix-cli)

# The settings and state folders point at a folder of the build even before main runs; main then
# points them at a fresh temporary folder of its own (so a run by hand is just as safe).
set(_ui_home ${CMAKE_BINARY_DIR}/test_ui-home)
add_test(NAME test_ui COMMAND test_ui)
set_tests_properties(test_ui PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${_ui_home}/config;XDG_STATE_HOME=${_ui_home}/state;HOME=${_ui_home}"
  TIMEOUT 300)

# The window on a screen scaled by two: the list pictures at the screen's pixels.
add_test(NAME test_ui_2x COMMAND test_ui -class tHiDpiTest)
set_tests_properties(test_ui_2x PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;XDG_CONFIG_HOME=${_ui_home}/config;XDG_STATE_HOME=${_ui_home}/state;HOME=${_ui_home}"
  TIMEOUT 120)

# The program in German as a German user's environment gives it (no generated glibc locale is
# needed: Qt reads the language from the environment).
add_test(NAME test_ui_de COMMAND test_ui -class tKeyboardTest)
set_tests_properties(test_ui_de PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=de_DE.UTF-8;LANGUAGE=;LC_ALL=;LC_MESSAGES=;XDG_CONFIG_HOME=${_ui_home}/de-config;XDG_STATE_HOME=${_ui_home}/de-state;HOME=${_ui_home}"
  TIMEOUT 120)

# A drag out of the main window needs a display server's drag and drop: under a virtual X server.
add_test(NAME test_ui_drag COMMAND ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1280x1024 $<TARGET_FILE:test_ui> -class tDragTest)
set_tests_properties(test_ui_drag PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${_ui_home}/drag-config;XDG_STATE_HOME=${_ui_home}/drag-state;HOME=${_ui_home};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-xcb.supp"
  TIMEOUT 120)

# Installer packages and AppImages opened by keys and clicks in the main window, on a virtual X
# server.
add_test(NAME test_ui_packages COMMAND ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1280x1024 $<TARGET_FILE:test_ui>
         -class tPackagesWindowTest)
set_tests_properties(test_ui_packages PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${_ui_home}/packages-config;XDG_STATE_HOME=${_ui_home}/packages-state;HOME=${_ui_home};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-xcb.supp"
  TIMEOUT 120)

# The main window as a screen reader sees it: an AT-SPI walk (at-spi2-core, python3-pyatspi) on a
# virtual X server, in a D-Bus session of its own; every control shown has a name.
add_test(NAME accessibility COMMAND dbus-run-session -- ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1024x768
         ${CMAKE_CURRENT_LIST_DIR}/atspi_walk.sh $<TARGET_FILE:pictrix> ${PICTRIX_FIXTURE_DIR}/modules/sample.dll)
set_tests_properties(accessibility PROPERTIES
  ENVIRONMENT "XDG_CONFIG_HOME=${_ui_home}/atspi-config;XDG_STATE_HOME=${_ui_home}/atspi-state;HOME=${_ui_home}"
  TIMEOUT 120)
# The same walk over the search window and the dialogs, all shown at once by
# pictrix-atspi-windows, with the image grid's items and the Properties dialog's images: each
# image an item a screen reader reads.
add_executable(pictrix-atspi-windows ${CMAKE_CURRENT_LIST_DIR}/main_atspi_windows.cpp)
target_compile_options(pictrix-atspi-windows PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix-atspi-windows PRIVATE pictrix_ui)
add_dependencies(test_ui pictrix-atspi-windows)
add_test(NAME accessibility_windows COMMAND dbus-run-session -- ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1280x1024
         ${CMAKE_CURRENT_LIST_DIR}/atspi_walk.sh $<TARGET_FILE:pictrix-atspi-windows> ${PICTRIX_FIXTURE_DIR}/modules/sample.dll
         "frame:^Recurse" "dialog:^Properties$" "dialog:^About Pictrix$" "dialog:^Options$" "list:^Files$"
         "list item:^\\d+ x \\d+, .*colors$" "list:^Properties$" "list item:^\\d+ x \\d+,.+ colors\\. Size=\\d+ bytes\\.$")
set_tests_properties(accessibility_windows PROPERTIES
  ENVIRONMENT "XDG_CONFIG_HOME=${_ui_home}/atspi-windows-config;XDG_STATE_HOME=${_ui_home}/atspi-windows-state;HOME=${_ui_home}"
  TIMEOUT 120)

# pictrix-screenshots: the dialogs, the grid and the search window drawn for `make screenshots`.
# CTest runs it too, so a picture that can no longer be drawn fails the suite.
add_executable(pictrix-screenshots ${CMAKE_CURRENT_LIST_DIR}/../screenshots/main_screenshots.cpp)
target_compile_options(pictrix-screenshots PRIVATE ${PICTRIX_WARNINGS})
target_link_libraries(pictrix-screenshots PRIVATE pictrix_ui_doubles)
target_compile_definitions(pictrix-screenshots PRIVATE PICTRIX_FIXTURE_DIR="${PICTRIX_FIXTURE_DIR}")
add_dependencies(pictrix-screenshots fixtures)
add_test(NAME screenshots COMMAND pictrix-screenshots ${CMAKE_BINARY_DIR}/artifacts)
set_tests_properties(screenshots PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${_ui_home}/screenshots-config;XDG_STATE_HOME=${_ui_home}/screenshots-state;HOME=${_ui_home}"
  TIMEOUT 120)

# The icon a user chooses by mouse and keyboard in each view, and what every command then acts on:
# focus, the clipboard and drags need a display server, so under a virtual X server.
add_test(NAME test_ui_user COMMAND ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1280x1024 $<TARGET_FILE:test_ui> -class tChosenIconTest)
set_tests_properties(test_ui_user PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${_ui_home}/user-config;XDG_STATE_HOME=${_ui_home}/user-state;HOME=${_ui_home};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-xcb.supp"
  TIMEOUT 900)

# File > Add to Applications Menu and the version strings of Properties, opened by the menus' keys:
# under a virtual X server. Each test function points XDG_DATA_HOME at a folder of its own.
add_test(NAME test_ui_launcher COMMAND ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1280x1024 $<TARGET_FILE:test_ui> -class tLauncherWindowTest)
set_tests_properties(test_ui_launcher PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${_ui_home}/launcher-config;XDG_STATE_HOME=${_ui_home}/launcher-state;HOME=${_ui_home};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-xcb.supp"
  TIMEOUT 300)

# An .icns and a .res file opened by the keyboard and chosen by a click: under a virtual X server.
add_test(NAME test_ui_containers COMMAND ${CMAKE_CURRENT_LIST_DIR}/xvfb.sh 1280x1024 $<TARGET_FILE:test_ui> -class tContainersWindowTest)
set_tests_properties(test_ui_containers PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=xcb;XDG_CONFIG_HOME=${_ui_home}/containers-config;XDG_STATE_HOME=${_ui_home}/containers-state;HOME=${_ui_home};LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan-xcb.supp"
  TIMEOUT 300)

# The thumbnailer's types against the MIME database as an installation leaves it: our package
# (compiled here into a folder of the build) before the system's, as /usr/local/share comes before
# /usr/share. The main run skips the class where the database lacks our package.
set(_mime_data ${CMAKE_BINARY_DIR}/test_ui-mime)
add_custom_command(OUTPUT ${_mime_data}/mime/mime.cache
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_mime_data}/mime/packages
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/pictrix-mime.xml ${_mime_data}/mime/packages/pictrix.xml
  COMMAND update-mime-database ${_mime_data}/mime
  DEPENDS ${CMAKE_SOURCE_DIR}/data/pictrix-mime.xml VERBATIM)
add_custom_target(test_ui_mime_data DEPENDS ${_mime_data}/mime/mime.cache)
add_dependencies(test_ui test_ui_mime_data)
add_test(NAME test_ui_mime COMMAND test_ui -class tThumbnailerMimeTest)
set_tests_properties(test_ui_mime PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_DATA_DIRS=${_mime_data}:/usr/local/share:/usr/share;XDG_DATA_HOME=${_ui_home}/mime-data-home;XDG_CONFIG_HOME=${_ui_home}/mime-config;XDG_STATE_HOME=${_ui_home}/mime-state;HOME=${_ui_home}"
  TIMEOUT 120)
