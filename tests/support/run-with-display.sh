#!/usr/bin/env bash
# Runs a command on the (virtual) X display in DISPLAY. Without a window
# manager the _NET_WM_* and WM_* atoms do not exist and JUCE's windows fail
# with BadAtom, so they are interned first (the server must run with -noreset
# for them to outlive xprop's connection).
set -euo pipefail

atoms=(
  WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW WM_CHANGE_STATE WM_STATE
  _NET_WM_PING _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_NORMAL _NET_WM_WINDOW_TYPE_COMBO
  _NET_WM_STATE _NET_WM_STATE_HIDDEN _NET_WM_STATE_FULLSCREEN _NET_WM_ALLOWED_ACTIONS
  _NET_FRAME_EXTENTS _NET_WORKAREA _MOTIF_WM_HINTS
)

for atom in "${atoms[@]}"; do
  xprop -root -f "$atom" 8s -set "$atom" "" >/dev/null
done

exec "$@"
