#!/usr/bin/env bash
# Installs everything the build and the tests need from Debian's archive.
# Idempotent: packages already present are skipped, the locale is generated once.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

# wine64 brings the native wineserver: under qemu-user a 32-bit wineserver
# cannot trace the programs it serves (the emulator has no ptrace), so
# reading another process's memory and module snapshots would fail.
packages=(
  wine wine32:i386 wine64 fonts-wine
  g++-mingw-w64-i686-posix mingw-w64-i686-dev libz-mingw-w64-dev
  cmake ninja-build googletest libbenchmark-dev g++ clang llvm-14-dev llvm-14 libclang-rt-14-dev
  libcapstone-dev libzydis-dev binutils-mingw-w64-i686
  xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales
  python3 python3-aiosmtpd python3-pyftpdlib dnsmasq-base unzip dpkg-dev zlib1g-dev
  zip pngcheck libpng-dev openssl ccache
  # PHP's built-in web server: a second, real-world parser of uploads in the tests.
  php-cli
  # Wine's secure connections (WinInet HTTPS) load it; it is only a
  # recommendation of Wine's libraries, and recommends stay out here.
  libgnutls30:i386
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [ -n "${need_update:-}" ]; then
  as_root apt-get update -qq
fi

# Where the kernel cannot execute 32-bit code, Wine runs under qemu-user from
# bookworm-backports (scripts/lib.sh). Its recommended qemu-user-binfmt would
# register the emulator machine-wide, so recommends stay out.
# dpkg-query fails for a package that was never installed: that is an answer
# ("none"), not an error.
qemu_version=$( (dpkg-query -W -f='${Status} ${Version}' qemu-user 2>/dev/null || true) |
  sed -n 's/^install ok installed //p')
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 &&
  ! { [ -n "$qemu_version" ] && dpkg --compare-versions "$qemu_version" ge 1:10; }; then
  backports=/etc/apt/sources.list.d/bookworm-backports.sources
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
    printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
      'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
      as_root tee "$backports" >/dev/null
  fi
  echo "install-deps: this machine cannot execute 32-bit code; installing qemu-user from bookworm-backports"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
    -t bookworm-backports qemu-user >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  as_root sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
echo "install-deps: done"
