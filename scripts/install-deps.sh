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
  # the decoder's JSON (header-only, also for the Windows build)
  nlohmann-json3-dev
  # fuzzing: clang with libFuzzer and its sanitizer runtimes
  clang libclang-rt-14-dev
  # the window: Qt 6 Widgets with its Chinese translations, a CJK font for the Chinese captions, a
  # virtual display
  qt6-base-dev qt6-translations-l10n libgl-dev fonts-noto-cjk xvfb xauth
  # the Windows build: MinGW-w64 cross compilers and Wine to run its tests; real clicks on its window
  # and a Song face standing in for SimSun under Wine
  g++-mingw-w64-x86-64-posix wine wine64 xdotool fonts-arphic-uming
  # packages: icons (and the Windows .ico), man pages, the .deb (shlibdeps) and the zip, and their checks
  librsvg2-bin icoutils help2man gzip dpkg-dev file zip unzip lintian desktop-file-utils man-db shellcheck
  # qvctl in a terminal whose locale is not UTF-8: the tests generate a zh_CN.GB18030 locale
  locales
)

# The locale qvctl's character-set tests run in, generated when it is missing. It is also listed in
# /etc/locale.gen, so that a later locale-gen (which rebuilds every locale from that list) keeps it.
test_locale=zh_CN.GB18030
have_test_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN\.gb18030'
}
generate_test_locale() {
  have_test_locale && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "qvset's tests need the locale $test_locale. Generate it as root, then run this again:" >&2
    echo "  localedef -i zh_CN -f GB18030 $test_locale" >&2
    exit 1
  fi
  echo "generating the locale $test_locale"
  grep -qx "$test_locale GB18030" /etc/locale.gen 2>/dev/null || echo "$test_locale GB18030" >>/etc/locale.gen
  localedef -i zh_CN -f GB18030 "$test_locale"
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  generate_test_locale
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
