# Run when the release zip's files are installed (MorvPackage.cmake), after the programs
# and README.txt: when cpack packs (MORV_PACKING; a plain install never signs) and the
# environment's MORV_SIGN_PKCS12 names a key, signed copies replace the installed
# programs; then SHA256SUMS of the files as they ship. The key is read now, so that the
# key of this packing is the one used; a relative path is taken from the source folder,
# where the presets are run (release.sh passes an absolute one).
#   _morv_source: the source folder; _morv_programs: the unsigned programs in the build
set(_morv_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(_morv_key "$ENV{MORV_SIGN_PKCS12}")
if(_morv_key)
  get_filename_component(_morv_key "${_morv_key}" ABSOLUTE BASE_DIR "${_morv_source}")
endif()
set(FILES)
foreach(_morv_program IN LISTS _morv_programs)
  get_filename_component(_morv_name "${_morv_program}" NAME)
  if(MORV_PACKING AND _morv_key)
    message(STATUS "Signing ${_morv_name} with ${_morv_key}")
    execute_process(COMMAND bash "${_morv_source}/cmake/sign_program.sh" "${_morv_source}"
                            "${_morv_program}" "${_morv_dir}/${_morv_name}" "${_morv_key}"
                            "$ENV{MORV_SIGN_TIMESTAMP_URL}"
                    RESULT_VARIABLE _morv_status)
    if(NOT _morv_status EQUAL 0)
      message(FATAL_ERROR "${_morv_name} was not signed: the release zip is not made")
    endif()
    file(CHMOD "${_morv_dir}/${_morv_name}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE
         OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
  list(APPEND FILES "${_morv_dir}/${_morv_name}")
endforeach()
list(APPEND FILES "${_morv_dir}/README.txt")
set(OUT "${_morv_dir}/SHA256SUMS")
include(${CMAKE_CURRENT_LIST_DIR}/sha256sums.cmake)
file(CHMOD "${OUT}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
