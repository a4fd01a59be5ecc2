#!/usr/bin/env bash
# Installs what is needed, builds the programs alone (optimised, no tests), prepares the default
# profile when it is missing, and starts the authoring program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh app
bin=build/app/bin
# unixODBC reads the data sources of the password file's home, not of $HOME: name the file, so
# that the profile tool writes the data source where the program looks for it.
export ODBCINI="${ODBCINI:-$HOME/.odbc.ini}"
scripts/setup-profile.sh "$bin"
exec "$bin/pakomo" "$@"
