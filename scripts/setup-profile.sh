#!/usr/bin/env bash
# Prepares the authoring program's default profile, leaving whatever exists as it is:
#   the machine folder ($RUX_MACHINE, else ~/.local/share/rux-machine),
#   a SQLite project database made from the schema script,
#   the ODBC data source "Pakomo" in the user's odbc.ini ($ODBCINI, else $HOME/.odbc.ini; the
#   program reads the same file: run.sh exports ODBCINI, and the program itself sets it to
#   $HOME/.odbc.ini when that file exists and ODBCINI is not set),
#   the settings "Db" "Dsn" and "Help" "Path" in the machine's registry.
# Usage: scripts/setup-profile.sh <bin folder of a build>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(cd "${1:?usage: setup-profile.sh <bin folder>}" && pwd)"
schema="$here/../authoring/core/sql/project.sql"
example="$here/../authoring/examples"
dsn=Pakomo
data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
database="$data_home/pakomo/pakomo.db"
odbc_ini="${ODBCINI:-$HOME/.odbc.ini}"

if [ ! -x "$bin/pakomo-profile" ]; then
  echo "setup-profile: $bin/pakomo-profile is not built" >&2
  exit 1
fi

if [ ! -e "$database" ]; then
  mkdir -p "$(dirname "$database")"
  # Built aside and moved in, so that a failed run leaves no half-made database.
  sqlite3 "$database.new" < "$schema"
  # A new profile starts with an example product that can be built and tested at once.
  sqlite3 "$database.new" < "$example/example-product.sql"
  mv "$database.new" "$database"
  echo "created the project database $database"
fi

if ! grep -qx "\[$dsn\]" "$odbc_ini" 2>/dev/null; then
  mkdir -p "$(dirname "$odbc_ini")"
  {
    [ -s "$odbc_ini" ] && echo
    echo "[$dsn]"
    echo "Driver=SQLite3"
    echo "Database=$database"
    echo "NoCreat=1"
    # While another program writes, the driver retries for five seconds before it reports the
    # database as locked (its default is a hundred seconds of a frozen window).
    echo "Timeout=5000"
  } >> "$odbc_ini"
  echo "added the data source $dsn to $odbc_ini"
fi

"$bin/pakomo-profile" "$dsn" "$bin"

# The example product's files, in the machine (made by pakomo-profile above).
machine="${RUX_MACHINE:-$data_home/rux-machine}"
if [ ! -e "$machine/drive_c/Examples/Hello" ]; then
  mkdir -p "$machine/drive_c/Examples"
  cp -r "$example/Hello" "$machine/drive_c/Examples/Hello"
  echo "copied the example product's files to C:\\Examples\\Hello"
fi
