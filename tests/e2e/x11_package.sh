#!/usr/bin/env bash
# The Debian package of the display mode, as `cpack -G DEB` makes it in the host
# build: it holds the program and the settings description where XScreenSaver
# looks for them, declares the package of every library the program links
# directly, and installs (into a scratch root, so the machine stays as it is).
#   x11_package.sh BUILD_DIR
set -uo pipefail
build=$1
. "$(dirname "$0")/../support/script_lib.sh"
script_begin x11-package
hack=usr/libexec/xscreensaver/morvessantique
xml=usr/share/xscreensaver/config/morvessantique.xml

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; echo "FAIL: cpack -G DEB"; exit 1; }
deb=$(ls "$work"/out/*.deb)
echo "built $(basename "$deb")"

dpkg-deb -c "$deb" >"$work/contents"
grep -q "^-rwxr-xr-x .* \./$hack\$" "$work/contents" || fail "no executable /$hack"
grep -q "^-rw-r--r-- .* \./$xml\$" "$work/contents" || fail "no /$xml"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in $(readelf -d "$build/x11/morvessantique" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
  path=$(ldconfig -p | awk -v lib="$lib" '$1 == lib && /x86-64|x86_64|64bit/ { print $NF; exit }')
  [ -n "$path" ] || path=$(ldconfig -p | awk -v lib="$lib" '$1 == lib { print $NF; exit }')
  real=$(readlink -f "$path")
  owner=
  # With the merged /usr, dpkg may know the file under /lib rather than /usr/lib.
  for candidate in "$path" "$real" "${real#/usr}" "/usr$path"; do
    owner=$(dpkg -S "$candidate" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$owner" ] && break
  done
  case ", $depends," in
    *", $owner "* | *", $owner,"*) pass "$lib: $owner declared" ;;
    *) fail "$lib comes from '${owner:-no package}', which Depends ($depends) does not name" ;;
  esac
done

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The scratch root has no libraries: their presence is what the check above is for.
if dpkg --root="$root" --log=/dev/null --force-depends -i "$deb" >"$work/dpkg.log" 2>&1 &&
   [ -x "$root/$hack" ] && [ -f "$root/$xml" ]; then
  pass "installs: /$hack and /$xml"
else
  cat "$work/dpkg.log"
  fail "dpkg -i into a scratch root"
fi
# The program says the version of the package it came in (without epoch or revision).
version=$(dpkg-deb -f "$deb" Version)
version=${version#*:}
version=${version%-*}
said=$("$root/$hack" --version 2>&1)
[ "$said" = "morvessantique $version" ] || fail "--version says '$said', the package $version"

# What xscreensaver-settings reads: the name, a description, "Fast Madness" as -fast.
python3 - "$root/$xml" <<'PY' || fail "settings description"
import sys, xml.etree.ElementTree as ET
saver = ET.parse(sys.argv[1]).getroot()
assert saver.tag == "screensaver" and saver.get("name") == "morvessantique", saver.attrib
assert saver.find("_description").text.strip(), "no description"
boxes = [(b.get("_label"), b.get("arg-set")) for b in saver.iter("boolean")]
assert boxes == [("Fast Madness", "-fast")], boxes
print("settings description:", saver.get("_label"), boxes)
PY
finish
