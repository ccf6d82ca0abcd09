#!/usr/bin/env bash
# Runs scripts/install-deps.sh as it runs on a machine where none of its
# packages was ever installed, on both kinds of machine (32-bit code native or
# emulated), then again on the state it left, then with a package manager
# that fails. The machine itself is untouched: the script runs in a private
# user and mount namespace in which /etc and /usr/lib are overlays over
# scratch folders, and the package tools on PATH are stand-ins that answer
# from, and record into, a scratch package state.
#
#   tests/scripts/install_deps_test.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

if [ "${1:-}" != --inside ]; then
  exec unshare --user --map-root-user --mount -- bash "$0" --inside
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/install-deps-test.XXXXXX")
trap 'umount /usr/lib /etc 2>/dev/null || true; rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL [$scenario]: $*" >&2; failures=$((failures + 1)); }

# Stand-ins. State: $VX_STATE/installed (one "package version" per line),
# foreign (architectures), apt.log (every apt-get call), locales.
stubs=$scratch/bin
mkdir -p "$stubs"
cat >"$stubs/dpkg-query" <<'STUB'
#!/bin/bash
# dpkg-query -W -f=FORMAT PACKAGE: exits 1 for a package never installed.
format= package=
for a in "$@"; do case $a in -f=*) format=${a#-f=} ;; -W) ;; *) package=$a ;; esac; done
version=$(awk -v p="$package" '$1 == p { print $2 }' "$VX_STATE/installed")
if [ -z "$version" ]; then
  echo "dpkg-query: no packages found matching $package" >&2
  exit 1
fi
format=${format//'${Status}'/install ok installed}
printf '%s' "${format//'${Version}'/$version}"
STUB
cat >"$stubs/dpkg" <<'STUB'
#!/bin/bash
case $1 in
  --print-foreign-architectures) cat "$VX_STATE/foreign" ;;
  --add-architecture) echo "$2" >>"$VX_STATE/foreign"; echo "dpkg $*" >>"$VX_STATE/apt.log" ;;
  *) exec /usr/bin/dpkg "$@" ;;
esac
STUB
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
echo "apt-get $*" >>"$VX_STATE/apt.log"
[ -n "${VX_APT_FAILS:-}" ] && [[ " $* " == *" install "* ]] && exit 100
seen_install=
for a in "$@"; do
  case $a in
    install) seen_install=1 ;;
    -t) ;;
    -*|bookworm-backports) ;;
    *) [ -n "$seen_install" ] && echo "$a ${VX_NEW_VERSION:-1.0}" >>"$VX_STATE/installed" ;;
  esac
done
exit 0
STUB
cat >"$stubs/locale" <<'STUB'
#!/bin/bash
printf 'C\nC.utf8\nPOSIX\n'; cat "$VX_STATE/locales" 2>/dev/null
STUB
cat >"$stubs/locale-gen" <<'STUB'
#!/bin/bash
grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen && echo zh_CN.utf8 >>"$VX_STATE/locales"
STUB
chmod +x "$stubs"/*

# /etc and /usr/lib: writes land in scratch folders; Wine's loader is a
# stand-in that starts (native) or fails as the emulated kind's does.
for dir in etc usr-lib; do mkdir -p "$scratch/$dir-upper" "$scratch/$dir-work"; done
mount -t overlay overlay -o "lowerdir=/etc,upperdir=$scratch/etc-upper,workdir=$scratch/etc-work" /etc
mount -t overlay overlay -o "lowerdir=/usr/lib,upperdir=$scratch/usr-lib-upper,workdir=$scratch/usr-lib-work" /usr/lib
mkdir -p /usr/lib/wine
[ -f /etc/locale.gen ] || echo '# zh_CN.UTF-8 UTF-8' >/etc/locale.gen
sed -i '/^zh_CN.UTF-8/d' /etc/locale.gen

wine_loader() { # native | emulated
  if [ "$1" = native ]; then
    printf '#!/bin/sh\necho wine-8.0\n' >/usr/lib/wine/wine
  else
    printf '#!/bin/sh\necho "wine: could not exec the wine loader: Exec format error" >&2\nexit 1\n' >/usr/lib/wine/wine
  fi
  chmod +x /usr/lib/wine/wine
}

# Runs the script; its output in $scratch/out, its exit status in $status.
run_script() {
  status=0
  PATH="$stubs:$PATH" "$root/scripts/install-deps.sh" >"$scratch/out" 2>&1 || status=$?
}
fresh_state() {
  export VX_STATE=$scratch/state-$scenario
  mkdir -p "$VX_STATE"
  : >"$VX_STATE/installed"; : >"$VX_STATE/foreign"; : >"$VX_STATE/apt.log"
}
expect_success() {
  [ "$status" -eq 0 ] || fail "exit status $status; output: $(cat "$scratch/out")"
  tail -n 1 "$scratch/out" | grep -qx 'install-deps: done' || fail "did not report done"
}
installed() { awk '{ print $1 }' "$VX_STATE/installed" | grep -qx -- "$1"; }
# Packages that are needed on every machine and that a fresh one lacks.
needed=(wine32:i386 libgnutls30:i386 g++-mingw-w64-i686-posix cmake xvfb python3-aiosmtpd)

for kind in native emulated; do
  scenario="fresh $kind machine"
  fresh_state
  wine_loader "$kind"
  run_script
  expect_success
  grep -qx 'i386' "$VX_STATE/foreign" || fail "i386 was not added as a foreign architecture"
  for p in "${needed[@]}"; do installed "$p" || fail "$p was not installed"; done
  grep -q '^zh_CN.utf8$' "$VX_STATE/locales" 2>/dev/null || fail "the zh_CN.UTF-8 locale was not generated"
  if [ "$kind" = emulated ]; then
    grep -q -- '-t bookworm-backports qemu-user' "$VX_STATE/apt.log" || fail "qemu-user was not installed from bookworm-backports"
    grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d || fail "no bookworm-backports source"
  else
    ! installed qemu-user || fail "qemu-user installed where 32-bit code runs natively"
  fi
done

scenario="second run on the emulated machine"
# The state the emulated run left, with qemu-user at the backports version.
sed -i 's/^qemu-user .*/qemu-user 1:10.0.2+ds-1~bpo12+1/' "$VX_STATE/installed"
: >"$VX_STATE/apt.log"
run_script
expect_success
[ ! -s "$VX_STATE/apt.log" ] || fail "ran the package manager again: $(cat "$VX_STATE/apt.log")"

scenario="package manager fails"
fresh_state
wine_loader native
VX_APT_FAILS=1 run_script
[ "$status" -ne 0 ] || fail "exited 0 although apt-get failed"
# The line that asks for the missing packages is named, with the status.
install_line=$(grep -n 'apt-get install.*"${missing\[@\]}"' "$root/scripts/install-deps.sh" | cut -d: -f1)
grep -Eq "^install-deps.sh: line [0-9]+.* line $install_line: .* failed with exit status 100$" "$scratch/out" ||
  fail "the failure does not name the script, line $install_line and the status: $(cat "$scratch/out")"

if [ "$failures" -ne 0 ]; then
  echo "install_deps_test: $failures check(s) failed" >&2
  exit 1
fi
echo "install_deps_test: all scenarios passed"
