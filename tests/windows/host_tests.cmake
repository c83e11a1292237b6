# The host's tests under Wine, included by tests/windows/CMakeLists.txt: the forms runtime's
# Win32 backend (a GoogleTest program) and the real Velmora.scr in its three roles.
add_executable(forms_win32_test forms_win32_test.cpp)
target_link_libraries(forms_win32_test PRIVATE velmora_forms velmora_platform GTest::gtest_main)
velmora_embed(forms_win32_test ${CMAKE_SOURCE_DIR}/assets/dialog/radio_off.png test_radio_off_png)
velmora_embed(forms_win32_test ${CMAKE_SOURCE_DIR}/assets/dialog/hand_cursor.png test_hand_png)
velmora_embed(forms_win32_test ${CMAKE_SOURCE_DIR}/assets/preview/preview.jpg test_preview_jpg)
add_test(NAME forms_win32_test COMMAND forms_win32_test)
set_tests_properties(forms_win32_test PROPERTIES LABELS "unit;wine" TIMEOUT 120
  RESOURCE_LOCK wine_display)

# The stand-in for the settings page that hands the preview its window.
add_executable(preview_parent preview_parent.cpp)

velmora_wine_test(dialog_test)
velmora_wine_test(preview_test)
velmora_wine_test(run_test)
velmora_wine_test(music_test)
velmora_wine_test(monitors_test)
