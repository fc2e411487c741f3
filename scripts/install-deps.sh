#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need. Quick when all are there.
set -euo pipefail
PKGS=(build-essential cmake ninja-build pkg-config
      qt6-base-dev qt6-tools-dev qt6-l10n-tools libgl-dev libxcb1-dev
      libsqlite3-dev sqlite3 unixodbc unixodbc-dev libsqliteodbc odbc-postgresql
      firebird3.0-server-core firebird3.0-utils libfbclient2 firebird-dev firebird3.0-server
      libpq-dev postgresql libgtest-dev libgmock-dev libxlsxwriter-dev xvfb ccache pxlib-dev pxlib1
      python3-dbf pgdbf gdal-bin qt6-translations-l10n
      python3-openpyxl)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
# The Firebird server package otherwise writes a random SYSDBA password.
echo 'firebird3.0-server shared/firebird/sysdba_password/first_install password masterkey' | $SUDO debconf-set-selections
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || true
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
