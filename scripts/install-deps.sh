#!/usr/bin/env bash
# Installs what Pictrix needs. Without an argument: what building and running it need (make build,
# make run). With --test: that and the tools of the tests, the sanitizer and fuzzing builds, the
# benchmarks, the screenshots and the package (make test, test-san, fuzz, bench, screenshots). With
# --package: that of the first set and what make deb needs to make and check a package.
# Idempotent: when every package is already present it does nothing and says so. No daemon comes
# with the first set.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev libqt6printsupport6 libcups2-dev
  libsqlite3-dev libpng-dev zlib1g-dev nettle-dev
  # JPEG 2000 images of .icns files (the static library too, for the thumbnailer).
  libopenjp2-7-dev
  # Cursor themes are written by the Xcursor format's own library (libXcursor).
  libxcursor-dev
  fonts-dejavu-core
  # The translations: Qt's lrelease builds the program's catalogues, and Qt's own catalogue puts
  # its dialogs in the user's language.
  qt6-l10n-tools qt6-translations-l10n
  # Containers: Windows Installer packages through msitools' libmsi, AppImages through
  # libsquashfs; an AppImage's SVG icon drawn by Qt's SVG module.
  libmsi-dev libsquashfs-dev qt6-svg-dev
)
if [[ ${1:-} == --package || ${1:-} == --test ]]; then
  # make deb: what makes and checks a Debian package (dpkg-shlibdeps finds the dependencies,
  # dpkg-buildflags gives the hardening flags, lintian checks the result), nothing of the tests.
  packages+=(dpkg-dev lintian)
fi
if [[ ${1:-} == --test ]]; then
  packages+=(
    # GoogleTest, and the fixtures' makers: icons drawn by ImageMagick, modules linked from
    # resource scripts by the MinGW binutils.
    libgtest-dev libgmock-dev imagemagick binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    libbenchmark-dev icoutils poppler-utils
    # .icns fixtures made by png2icns.
    icnsutils
    # File systems the write policy is tried on: FAT through FUSE (no RENAME_NOREPLACE, no hard
    # links, names folded), made from an image.
    fusefat dosfstools fuse
    clang libclang-rt-14-dev
    xvfb xauth time strace
    # The shard recipe of docs/batch.md runs on GNU parallel.
    parallel
    # A screen reader's view of the windows: the accessibility bus and its Python client (and
    # dbus-send, which asks whether the bus is up).
    at-spi2-core python3-pyatspi dbus-bin
    # The independent difference hash the tests compare ours with.
    python3-pil
    # The launchers as the desktop sees them: GIO's application index and GTK's icon theme, over
    # the hicolor theme's index.
    python3-gi gir1.2-gtk-3.0 hicolor-icon-theme
    desktop-file-utils shared-mime-info appstream man-db xdg-utils bash-completion
    # Printing: a face metric-compatible with Arial (the printed list's font), and for the
    # end-to-end printing test a print server with a PDF queue.
    fonts-liberation2 cups-daemon cups-client cups-filters printer-driver-cups-pdf
    # XFCE's thumbnail service, which the thumbnailer's end-to-end test asks on a private D-Bus session.
    tumbler dbus-daemon libglib2.0-bin
    # GNOME's thumbnail factory (through its introspection data), which runs thumbnailers in a
    # bubblewrap sandbox: the packages' and AppImages' thumbnails are asked of it.
    gir1.2-gnomedesktop-3.0 bubblewrap
    # The container fixtures' makers: installer packages by wixl (and one row by row through
    # libmsi's introspection data), SquashFS images by mksquashfs.
    wixl gir1.2-libmsi-1.0 squashfs-tools
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all ${#packages[@]} packages are present."
  exit 0
fi

echo "install-deps: missing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    SUDO=sudo
  else
    echo "install-deps: installing packages needs root. Run as root, or:" >&2
    echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
else
  SUDO=
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
echo "install-deps: done."
