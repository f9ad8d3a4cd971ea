#!/bin/sh
# The layers as the folders say them: no file of the service (src/core and the libraries it is
# built from) includes a header of Qt Widgets, Qt Charts or the widget-based Qt WebEngine, nor a
# header of the window (src/gui).
#
#   check_layers.sh SOURCE_DIR QT_INCLUDE_DIR
set -eu
src=$1/src
qt=$2
status=0
for dir in core support rules monitor feed service notify platform records; do
    for file in "$src/$dir"/*.h "$src/$dir"/*.cpp; do
        [ -e "$file" ] || continue
        for header in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$file"); do
            for module in QtWidgets QtCharts QtWebEngineWidgets; do
                if [ -e "$qt/$module/$header" ]; then
                    echo "$file includes <$header> of $module" >&2
                    status=1
                fi
            done
        done
        if grep -n '#[[:space:]]*include[[:space:]]*"gui/' "$file" >&2; then
            echo "$file includes a header of the window" >&2
            status=1
        fi
    done
done
exit $status
