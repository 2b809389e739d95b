# The command-line grammar: portable, so it runs natively, under the sanitizers and under Wine.
morv_add_test(shell_command_line_test SOURCES ${MORV_HOST_TESTS}/command_line_test.cpp LIBS morv_cmdline)
morv_add_test(shell_saver_states_test SOURCES ${MORV_HOST_TESTS}/saver_states_test.cpp LIBS morv_saver_states)
