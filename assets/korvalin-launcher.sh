#!/bin/sh
# Starts Korvalin from its own folder, where it finds its help file and example patterns.
exec /usr/lib/korvalin/korvalin "$@"
