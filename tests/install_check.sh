#!/usr/bin/env bash
# Installs the build into a staging folder and checks the installed tree: the
# program, its working files, icons, desktop entry and metadata, that the
# installed program starts, and that the launcher makes and fills a learner's
# folder once and then leaves it as the learner has it.
set -uo pipefail
build="$1"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
passed=0 failed=0
check() { # description, command...
  local what="$1"; shift
  if "$@" >/tmp/install_check.$$ 2>&1; then passed=$((passed + 1)); echo "ok: $what"
  else failed=$((failed + 1)); echo "FAIL: $what"; cat /tmp/install_check.$$; fi
}

# Install under the configured prefix, as the package does.
prefix="$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")"
DESTDIR="$stage" cmake --install "$build" >/dev/null || { echo "install failed"; exit 1; }
root="$stage$prefix"
data="$root/share/pirumo"
desktop="$root/share/applications/jp.example.pirumo.desktop"

check "executable" test -x "$root/bin/pirumo"
# Sounds and the voice come in a plug-in loaded at the first sound; start-up links no audio library.
plugin="$(find "$root/lib" -path '*/pirumo/libpirumo_audio.so' 2>/dev/null | head -1)"
check "audio plug-in in the program's library folder" test -f "$plugin"
check "program links no audio library" bash -c "! ldd '$root/bin/pirumo' | grep -q -i -E 'multimedia|pulse'"
# The records window's charts come in a plug-in loaded when the window opens;
# the program itself links no Qt Charts.
charts="$(find "$root/lib" -path '*/pirumo/libpirumo_charts.so' 2>/dev/null | head -1)"
check "charts plug-in in the program's library folder" test -f "$charts"
check "program links no Qt Charts" bash -c "! ldd '$root/bin/pirumo' | grep -q -i charts"
for f in help.txt seikai.wav gotou.wav eigo.dat; do
  check "working file $f" test -s "$data/$f"
done
check "settings file byte for byte" cmp "$data/help.txt" "$(dirname "$0")/../sample/help.txt"
check "scalable icon" test -s "$root/share/icons/hicolor/scalable/apps/jp.example.pirumo.svg"
for s in 16 32 48 64 128 256; do
  check "icon ${s}x${s}" test -s "$root/share/icons/hicolor/${s}x${s}/apps/jp.example.pirumo.png"
done
check "desktop entry is valid" desktop-file-validate "$desktop"
check "desktop entry starts the program in the learner's folder" grep -qx "Exec=pirumo --learner-folder" "$desktop"
check "desktop entry names in Japanese" grep -qx "Name\[ja\]=ピルモ英語" "$desktop"
check "AppStream metadata is valid" appstreamcli validate --no-net "$root/share/metainfo/jp.example.pirumo.metainfo.xml"
check "AppStream release 2.0.0.7" grep -q 'release version="2.0.0.7"' "$root/share/metainfo/jp.example.pirumo.metainfo.xml"

# The installed program starts in its working folder and keeps running until
# it is stopped (timeout's 124), rather than failing at start-up.
started() {
  (cd "$data" && QT_QPA_PLATFORM=offscreen timeout 3 "$root/bin/pirumo" --ignored-argument)
  [ $? -eq 124 ]
}
check "installed program starts" started

# The launcher, as a learner with a fresh home starts it from the desktop.
# Runs the launcher with HOME=$1 and the documents folder $2 (as user-dirs.dirs
# writes it); true when the program runs in the folder $3 two seconds later.
# On a failure it shows an error box and runs in the home folder.
starts_in() {
  mkdir -p "$1/.config"
  echo "XDG_DOCUMENTS_DIR=\"$2\"" >"$1/.config/user-dirs.dirs"
  HOME="$1" XDG_CONFIG_HOME="$1/.config" QT_QPA_PLATFORM=offscreen "$root/bin/pirumo-launch" &
  local pid=$! cwd="" alive=1
  sleep 2
  cwd="$(readlink "/proc/$pid/cwd")"
  kill "$pid" 2>/dev/null || alive=0
  wait "$pid" 2>/dev/null
  echo "program in '$cwd', running $alive"
  [ "$cwd" = "$3" ] && [ "$alive" -eq 1 ]
}
home="$stage/home"
folder="$home/書類/ピルモ英語"
launched() { starts_in "$home" '$HOME/書類' "$folder"; }
snapshot() { (cd "$folder" && find . -printf '%p %s %T@ %m\n' | sort && md5sum ./*); }
check "launcher starts the program in the learner's folder" launched
for f in help.txt seikai.wav gotou.wav eigo.dat; do
  check "learner's folder has the sample's $f" cmp "$data/$f" "$folder/$f"
done
# The learner saved progress; the next start must keep it.
printf 'saved by the learner\r\n' >"$folder/eigo.dat"
before="$(snapshot)"
check "launcher starts again" launched
check "second start copies and replaces nothing" test "$before" = "$(snapshot)"

# Folder names that a shell would split, expand or run stay as they are.
odd="$stage/odd \$(touch $stage/ran)"
check "documents folder with two spaces" starts_in "$odd" '$HOME/My  Docs' "$odd/My  Docs/ピルモ英語"
check "documents folder with a *" starts_in "$odd" '$HOME/Docs*' "$odd/Docs*/ピルモ英語"
check "nothing in a home folder's name is run" test ! -e "$stage/ran"
# The learner's folder cannot be made: the program starts in the home folder.
for what in file dangling null; do
  h="$stage/$what"; mkdir -p "$h/Docs"
  case $what in
    file) : >"$h/Docs/ピルモ英語" ;;
    dangling) ln -s "$h/nowhere" "$h/Docs/ピルモ英語" ;;
    null) ln -s /dev/null "$h/Docs/ピルモ英語" ;;
  esac
  check "learner's folder name taken ($what): starts in the home folder" starts_in "$h" '$HOME/Docs' "$h"
done
# A disk too small for every sample: each one is whole or absent.
small="$stage/small"
mkdir -p "$small/Docs/ピルモ英語"
if mount -t tmpfs -o size=48k tmpfs "$small/Docs/ピルモ英語" 2>/dev/null; then
  check "disk full: starts in the home folder" starts_in "$small" '$HOME/Docs' "$small"
  whole_or_absent() {
    for f in help.txt seikai.wav gotou.wav eigo.dat; do
      [ ! -e "$small/Docs/ピルモ英語/$f" ] || cmp "$data/$f" "$small/Docs/ピルモ英語/$f" || return 1
    done
    ls -A "$small/Docs/ピルモ英語"
  }
  check "disk full: each sample whole or absent, nothing else" whole_or_absent
  umount "$small/Docs/ピルモ英語"
else
  echo "skipped: no small file system can be mounted here"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
