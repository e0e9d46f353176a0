#!/usr/bin/env bash
# Trees the Windows side cannot build under Wine (whose CreateSymbolicLink makes nothing):
# symbolic links to directories, and a drive letter of the build's prefix for a small tree.
#   link_tree.sh BUILD_DIR create|remove
# create makes BUILD_DIR/findfiles-links with
#   loop/f0.txt(1) loop/a/f1.txt(2) loop/a/b/f2.txt(3)  loop/a/b/up1 -> loop  loop/a/b/up2 -> loop/a
#   shared/l1 -> outside/target  shared/l2 -> outside/target
#   outside/target/t.txt(5) outside/target/inner/i.txt(7)
#   drive/top/x.txt(4) drive/top/sub/y.txt(6), reachable as a free drive letter of the prefix;
# the letter is written to drive-letter.
set -euo pipefail
build=$(cd "$1" && pwd)
root="$build/findfiles-links"
devices="$build/wine/dosdevices"
bytes() { head -c "$2" /dev/zero | tr '\0' x > "$1"; }
remove() {
  if [ -f "$root/drive-letter" ]; then rm -f "$devices/$(cat "$root/drive-letter"):"; fi
  rm -rf "$root"
}
case "$2" in
create)
  remove
  mkdir -p "$root/loop/a/b" "$root/shared" "$root/outside/target/inner" "$root/drive/top/sub"
  bytes "$root/loop/f0.txt" 1; bytes "$root/loop/a/f1.txt" 2; bytes "$root/loop/a/b/f2.txt" 3
  ln -s ../.. "$root/loop/a/b/up1"
  ln -s .. "$root/loop/a/b/up2"
  bytes "$root/outside/target/t.txt" 5; bytes "$root/outside/target/inner/i.txt" 7
  ln -s ../outside/target "$root/shared/l1"
  ln -s ../outside/target "$root/shared/l2"
  bytes "$root/drive/top/x.txt" 4; bytes "$root/drive/top/sub/y.txt" 6
  for letter in r s t u v w x y; do
    if [ ! -e "$devices/$letter:" ] && [ ! -L "$devices/$letter:" ]; then
      ln -s "$root/drive" "$devices/$letter:"
      echo "$letter" > "$root/drive-letter"
      exit 0
    fi
  done
  echo "link_tree: no free drive letter in $devices" >&2
  exit 1
  ;;
remove) remove ;;
*) echo "usage: link_tree.sh BUILD_DIR create|remove" >&2; exit 2 ;;
esac
