# Installs the Debian packages that are missing (as root, or through sudo).
# Sourced by scripts/run and scripts/test.

veska_ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing Debian packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo=(sudo)
    else
      echo "error: need root or sudo to install: ${missing[*]}" >&2
      return 1
    fi
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What every build needs: compiler and build tools, Qt 6 (Core, Gui, Widgets,
# PrintSupport and the offscreen platform plugin), Qt SVG (exporting the
# diagram as SVG, and the scalable icon), Liberation Sans, which has Arial's metrics so entity
# boxes measure as designed, and mimalloc, the programs' allocator; Qt's SQL
# drivers for SQLite, PostgreSQL and MySQL/MariaDB, which the database build
# connects through; Graphviz's libraries (gvc, cgraph and their layout
# plugins), which Arrange lays the diagram out with.
VESKA_BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev qt6-qpa-plugins fonts-liberation2 fontconfig
  libmimalloc-dev libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-mysql libgraphviz-dev)
# What the tests and benchmarks need in addition.
# python3-dbfread, libdbd-xbase-perl, gdal-bin (ogrinfo) and shapelib are
# independent readers and a writer of dBASE tables, pxlib-dev of Paradox
# tables, that the engine's tests run; poppler-utils (pdfinfo, pdftotext) reads back the PDF
# files that printing and export write; desktop-file-utils, libxml2-utils and shared-mime-info check the
# installed desktop entry, MIME entry and icon; dpkg-dev computes the Debian
# package's dependencies (dpkg-shlibdeps); sqlite3, PostgreSQL and MariaDB
# are the real servers (and their command-line clients) that the SQL build
# tests start in a temporary directory and check against.
VESKA_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev python3-dbfread libdbd-xbase-perl gdal-bin shapelib pxlib-dev
  desktop-file-utils libxml2-utils shared-mime-info dpkg-dev poppler-utils sqlite3 postgresql postgresql-client
  mariadb-server mariadb-client)
