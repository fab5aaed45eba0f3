#!/usr/bin/env bash
# Installs the build into a temporary prefix, as `cmake --install` does for a
# user, and starts the installed recmod-batch from there: its version, a short
# run, and a picture when the picture module is installed (the program must
# find it in the prefix's lib/recmod, not in the build tree).
# Usage: check-install.sh BUILD_DIR [CMAKE]
set -euo pipefail
build=$(cd "$1" && pwd)
cmake_command=${2:-cmake}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

"$cmake_command" --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/bin/recmod-batch
[[ -x $program ]] || fail "no $program"
for f in share/doc/recmod/README.md share/doc/recmod/docs/model.md share/doc/recmod/docs/files.md; do
  [[ -f $prefix/$f ]] || fail "not installed: $f"
done
if [[ -f $build/packaging/man/recmod.1.gz ]]; then
  [[ -f $prefix/share/man/man1/recmod.1.gz ]] || fail "recmod(1) not installed"
fi
if [[ -f $build/packaging/man/recmod-batch.1.gz ]]; then
  zcat "$prefix/share/man/man1/recmod-batch.1.gz" | grep -q -- 'maxgen' ||
    fail "recmod-batch(1) does not describe the options"
fi

if [[ -x $build/bin/recmod ]]; then
  window_version=$("$prefix/bin/recmod" --version)
  [[ $window_version =~ ^recmod\ [0-9]+\.[0-9]+\.[0-9]+\ \(.+\)$ ]] ||
    fail "recmod --version printed: $window_version"
fi
version=$("$program" --version)
[[ $version =~ ^recmod-batch\ [0-9]+\.[0-9]+\.[0-9]+\ \(.+\)$ ]] || fail "--version printed: $version"

mkdir "$scratch/run"
cd "$scratch/run"
"$program" --maxgen 10 --quiet
lines=$(wc -l <ReportFile1.txt)
[[ $lines -eq 11 ]] || fail "ReportFile1.txt of a 10-generation run has $lines lines, not 11"

if [[ -f $build/bin/recmod-batch-pictures.so ]]; then
  [[ -f $prefix/lib/recmod/recmod-batch-pictures.so ]] || fail "picture module not installed"
  [[ ! -e $prefix/bin/recmod-batch-pictures.so ]] || fail "picture module in bin/"
  QT_QPA_PLATFORM=offscreen "$program" --maxgen 10 --quiet --plot plot.png
  [[ $(head -c 8 plot.png | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
    fail "the installed program wrote no PNG"
fi
# The Python module goes where the interpreter that built it searches.
built_module=$(ls "$build"/python/recmod.*.so 2>/dev/null | head -n 1 || true)
if [[ -n $built_module ]]; then
  installed=$(find "$prefix" -name "$(basename "$built_module")")
  [[ -n $installed ]] || fail "Python module not installed"
  [[ $installed == */dist-packages/* || $installed == */site-packages/* ]] ||
    fail "Python module installed outside a package directory: $installed"
  python=$(sed -n 's/^Python3_EXECUTABLE:[A-Z]*=//p' "$build/CMakeCache.txt")
  PYTHONPATH=$(dirname "$installed") "${python:-python3}" -c 'import recmod; recmod.run(recmod.Settings(max_gen=10))' ||
    fail "the installed Python module does not run"
  # The user guide's install, literally: into ~/.local, where the interpreter
  # finds the module in its user site without PYTHONPATH.
  home=$scratch/home
  mkdir "$home"
  HOME=$home "$cmake_command" --install "$build" --prefix "$home/.local" >/dev/null
  user_site=$(HOME=$home PYTHONUSERBASE= "${python:-python3}" -m site --user-site)
  [[ -f $user_site/$(basename "$built_module") ]] ||
    fail "--prefix ~/.local did not put the module into the user site $user_site"
  (cd "$scratch/run" && HOME=$home PYTHONPATH= PYTHONUSERBASE= "${python:-python3}" -c 'import recmod; recmod.run(recmod.Settings(max_gen=10))') ||
    fail "the module installed into ~/.local does not import"
  # The Debian package's layout: /usr/lib/python3/dist-packages.
  if "${python:-python3}" -c 'import sys, sysconfig; sys.exit("deb_system" not in sysconfig.get_scheme_names())'; then
    DESTDIR=$scratch/staged "$cmake_command" --install "$build" --prefix /usr >/dev/null
    [[ -f $scratch/staged/usr/lib/python3/dist-packages/$(basename "$built_module") ]] ||
      fail "--prefix /usr did not put the module into lib/python3/dist-packages"
  fi
fi
echo "check-install: $version runs from $prefix"
