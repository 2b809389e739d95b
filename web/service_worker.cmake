# Writes DIR/sw.js from TEMPLATE (sw.js.in) for FILES, the page's files in DIR,
# of which the service worker keeps all but itself: their list, and the name of
# this release, the SHA-256 of their sums in sha256sum's format in this order,
# which the worker checks again on what it fetches.
#   cmake -D DIR=... -D "FILES=a;b" -D TEMPLATE=... -P service_worker.cmake
list(REMOVE_ITEM FILES sw.js)
set(_sums "")
set(_quoted "")
foreach(_name IN LISTS FILES)
  file(SHA256 ${DIR}/${_name} _hash)
  string(APPEND _sums "${_hash}  ${_name}\n")
  list(APPEND _quoted "'${_name}'")
endforeach()
string(SHA256 MORV_WEB_RELEASE "${_sums}")
list(JOIN _quoted ", " MORV_WEB_CACHED_LIST)
file(READ ${TEMPLATE} _template)
string(CONFIGURE "${_template}" _worker @ONLY)
file(WRITE ${DIR}/sw.js "${_worker}")
