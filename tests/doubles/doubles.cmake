# pictrix_ui_doubles: the stand-ins the tests, the screenshots and the window benchmarks install in
# place of the user and the desktop (scripted prompts, a recording shell). Not part of the program.
if(NOT TARGET pictrix_ui_doubles)
  add_library(pictrix_ui_doubles STATIC
    ${CMAKE_CURRENT_LIST_DIR}/cScriptedPrompts.cpp ${CMAKE_CURRENT_LIST_DIR}/cScriptedPrompts.h
    ${CMAKE_CURRENT_LIST_DIR}/cRecordingShell.cpp ${CMAKE_CURRENT_LIST_DIR}/cRecordingShell.h)
  target_compile_options(pictrix_ui_doubles PRIVATE ${PICTRIX_WARNINGS})
  target_include_directories(pictrix_ui_doubles PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(pictrix_ui_doubles PUBLIC pictrix_ui)
endif()
