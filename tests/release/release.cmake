# What ships: the 32-bit deliverables and their zip. These tests read the built files on
# the Linux side (objdump, windres, the zip), so they need no Wine of either width;
# only the installer run from the unpacked zip does (32-bit Wine; skipped without it).
if(NOT MORV_WINDOWS OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(MORV_RELEASE_TESTS ${CMAKE_CURRENT_LIST_DIR})

add_test(NAME import_audit
         COMMAND ${Python3_EXECUTABLE} ${MORV_RELEASE_TESTS}/import_audit.py ${CMAKE_OBJDUMP}
                 ${MORV_RELEASE_TESTS}/allowed_imports.txt
                 $<TARGET_FILE:Morvessantique> $<TARGET_FILE:morv_installer_exe>)
add_test(NAME import_audit_reads_both_objdump_formats
         COMMAND ${Python3_EXECUTABLE} ${MORV_RELEASE_TESTS}/import_audit_rows.py)

# nm and objdump of the same binutils as the linker (CMake finds both beside it).
add_test(NAME shipped_programs_have_no_thread_support
         COMMAND ${Python3_EXECUTABLE} ${MORV_RELEASE_TESTS}/no_thread_support.py ${CMAKE_NM}
                 ${CMAKE_OBJDUMP} $<TARGET_FILE:Morvessantique> $<TARGET_FILE:morv_installer_exe>)

add_test(NAME saver_has_no_x87_sine
         COMMAND bash ${MORV_RELEASE_TESTS}/no_x87_sine.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:Morvessantique>)

function(morv_identity_test target level)
  add_test(NAME deliverable_identity_${target}
           COMMAND ${Python3_EXECUTABLE} ${MORV_RELEASE_TESTS}/deliverable_identity.py
                   ${CMAKE_RC_COMPILER} $<TARGET_FILE:${target}> ${level} ${PROJECT_VERSION})
endfunction()
morv_identity_test(Morvessantique asInvoker)
morv_identity_test(morv_installer_exe requireAdministrator)

# The zip as `cmake --build --preset win32 --target package` makes it, then unpacked,
# checked and installed from; unsigned, whatever key the environment names.
add_test(NAME release_zip_package
         COMMAND ${CMAKE_COMMAND} -E env --unset=MORV_SIGN_PKCS12
                 ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
set_tests_properties(release_zip_package PROPERTIES FIXTURES_SETUP morv_release_zip)
add_test(NAME release_zip_e2e
         COMMAND bash ${MORV_RELEASE_TESTS}/release_zip.sh ${MORV_RELEASE_ZIP}
                 ${PROJECT_SOURCE_DIR}/tests/e2e/dialogs_install.sh)
set_tests_properties(release_zip_e2e PROPERTIES FIXTURES_REQUIRED morv_release_zip
                     TIMEOUT 180 SKIP_RETURN_CODE 77)
set_tests_properties(import_audit import_audit_reads_both_objdump_formats
                     shipped_programs_have_no_thread_support saver_has_no_x87_sine deliverable_identity_Morvessantique
                     deliverable_identity_morv_installer_exe release_zip_package release_zip_e2e
                     PROPERTIES LABELS release)
