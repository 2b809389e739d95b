# The settings store, the configuration dialog and the saver's resources, under Wine:
# the real registry, and dialogs made from the real resource templates.
morv_add_test(settings_store_test
  SOURCES ${MORV_WIN_TESTS}/settings_store_test.cpp
  LIBS morv_settings
  TIMEOUT 120)
