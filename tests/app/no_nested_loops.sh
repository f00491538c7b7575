#!/usr/bin/env bash
# Nothing on the window thread waits inside a loop of its own: a dialog is
# shown with open() and continued from its answer, every other wait is a
# deadline on the clock. A dialog's exec(), the static dialog helpers, a
# QEventLoop or processEvents in the product (each program's own main
# aside, where the application's loop runs) fails this test.
set -uo pipefail
ROOT="$1"
cd "$ROOT" || exit 2
pattern='(\.|->)exec\(\)|QFileDialog::get|QMessageBox::(information|question|warning|critical|about)|QInputDialog::get|QColorDialog::get|QFontDialog::get|QEventLoop|processEvents'
found=$(grep -rnE "$pattern" app desktop ui timer settings shell media grid runtime text names speech \
  --include='*.cpp' --include='*.h' | grep -vE '^(app|speech)/main\.cpp:')
if [ -n "$found" ]; then
  echo "a loop of its own on the window thread:"
  echo "$found"
  exit 1
fi
echo "no nested loops"
