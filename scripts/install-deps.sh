#!/usr/bin/env bash
# Installs the Debian packages qvset needs to build, test and run. As root it installs what is
# missing with apt-get; otherwise it prints the exact apt-get line and fails.
set -euo pipefail

packages=(
  # build
  g++ cmake make pkg-config
  # printer link: libcups, and a private CUPS server for tests and demos
  libcups2-dev cups-daemon cups-client
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev python3
  # the virtual printer's tests act as other users (setpriv), limit memory (prlimit), find its drawers
  # (pgrep); the memory benchmark times them (GNU time)
  util-linux procps time
  # the decoder's JSON (header-only, also for the Windows build)
  nlohmann-json3-dev
  # fuzzing: clang with libFuzzer and its sanitizer runtimes; the static checks and the formatting
  clang libclang-rt-14-dev clang-tidy clang-format
  # the window: Qt 6 Widgets with its Chinese translations, a CJK font for the Chinese captions, a
  # virtual display
  qt6-base-dev qt6-translations-l10n libgl-dev fonts-noto-cjk xvfb xauth
  # the Windows build: MinGW-w64 cross compilers and Wine to run its tests; real clicks on its window
  # and a Song face standing in for SimSun under Wine
  g++-mingw-w64-x86-64-posix wine wine64 xdotool fonts-arphic-uming
  # the Windows installer (wixl, msibuild) and its tables (msiinfo)
  wixl msitools
  # printers without a spooler: a serial line made of a pseudo-terminal pair for the device tests
  socat
  # the virtual printer on the network: CUPS' socket backend (cups), its IPP sample printer and client
  # (cups-ipp-utils) with a private D-Bus bus for its DNS-SD client; AppStream's validator
  cups cups-ipp-utils dbus-daemon appstream
  # the virtual printer's picture of receipts from other programs: QR codes (libqrencode), barcodes (libzint)
  libqrencode-dev libzint-dev
  # packages: icons (and the Windows .ico), man pages, the .deb (shlibdeps) and the zip, and their checks
  librsvg2-bin icoutils help2man gzip dpkg-dev file zip unzip lintian desktop-file-utils man-db shellcheck
  # the tests of typed numbers under a decimal-comma locale, and of qvctl in a GB18030 terminal
  locales
  # the QV6 printer application (qvset-printer-app): PAPPL 1.3.1, the framework for IPP Everywhere
  # printer applications, and PAM for the admin login of remote setting changes
  libpappl-dev libpam0g-dev
  # the Ansible module's playbook test against the private print servers
  ansible-core
  # the printer application's pages in a real browser: headless Chromium driven by playwright-core
  # (from npm, into build/node by browser_test_driver below)
  chromium nodejs
)

# playwright-core, which drives the system's Chromium in the pages' browser test: into build/node of
# this checkout, never committed. Skipped (the test then says SKIP) when npm cannot reach its registry.
browser_test_driver() {
  local folder
  folder="$(cd "$(dirname "$0")/.." && pwd)/build/node"
  [ -e "$folder/node_modules/playwright-core/package.json" ] && return 0
  command -v npm >/dev/null || return 0
  mkdir -p "$folder"
  npm install --prefix "$folder" --no-audit --no-fund --no-save playwright-core@1.65.2 >/dev/null 2>&1 ||
    echo "npm could not install playwright-core: the pages' browser test will be skipped" >&2
}

# The locales the tests switch to, generated when missing. Both are listed in /etc/locale.gen, so that a
# later locale-gen (which rebuilds every locale from that list) keeps them.
test_locales=("de_DE.UTF-8 UTF-8" "zh_CN.GB18030 GB18030")
have_locale() {
  locale -a 2>/dev/null | grep -qix "$1"
}
generate_test_locale() {
  have_locale 'de_DE\.utf-\?8' && have_locale 'zh_CN\.gb18030' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "qvset's tests need the locales de_DE.UTF-8 and zh_CN.GB18030. Generate them as root, then run this again:" >&2
    echo "  echo 'de_DE.UTF-8 UTF-8' >>/etc/locale.gen; echo 'zh_CN.GB18030 GB18030' >>/etc/locale.gen; locale-gen" >&2
    exit 1
  fi
  for entry in "${test_locales[@]}"; do
    grep -qx "$entry" /etc/locale.gen 2>/dev/null || echo "$entry" >>/etc/locale.gen
  done
  echo "generating the locales de_DE.UTF-8 and zh_CN.GB18030"
  locale-gen >/dev/null
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  generate_test_locale
  browser_test_driver
  exit 0
fi

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "qvset needs these Debian packages. Install them as root, then run this again:" >&2
  echo "  apt-get update && $line" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
generate_test_locale
browser_test_driver
