# Writes OUT in sha256sum's format ("<hash>  <name>") for FILES, by file name only.
set(_text "")
foreach(_file IN LISTS FILES)
  file(SHA256 ${_file} _hash)
  get_filename_component(_name ${_file} NAME)
  string(APPEND _text "${_hash}  ${_name}\n")
endforeach()
file(WRITE ${OUT} "${_text}")
