# The settings store, the configuration dialog and the saver's resources, under Wine:
# the real registry, and dialogs made from the real resource templates.
morv_add_test(settings_store_test
  SOURCES ${MORV_WIN_TESTS}/settings_store_test.cpp
  LIBS morv_settings
  TIMEOUT 120)

morv_add_test(config_dialog_test
  SOURCES ${MORV_WIN_TESTS}/config_dialog_test.cpp
  LIBS morv_settings morv_saver_resources
  TIMEOUT 300)

# The same tests' counterpart for a build whose resources lack bitmap 104.
morv_add_test(config_dialog_without_ok_bitmap_test
  SOURCES ${MORV_WIN_TESTS}/config_dialog_test.cpp
  LIBS morv_settings morv_saver_resources_without_ok_bitmap
  TIMEOUT 60)
target_compile_definitions(config_dialog_without_ok_bitmap_test PRIVATE MORV_WITHOUT_OK_BITMAP)

morv_add_test(settings_resources_test
  SOURCES ${MORV_WIN_TESTS}/settings_resources_test.cpp
  LIBS morv_saver_resources gdi32
  TIMEOUT 60)
