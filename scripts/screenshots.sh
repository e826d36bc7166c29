#!/usr/bin/env bash
# Regenerates the guide's pictures (docs/img/) from the window tests that draw them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
QT_QPA_PLATFORM=offscreen build/bin/app_tests --gtest_filter='Screenshots.*:DesktopScreenshot.*:WholeTransit.*' >/dev/null
QT_QPA_PLATFORM=offscreen build/bin/start_tests >/dev/null
mkdir -p docs/img
for name in main_window_ncts2 declaration_box goods_item_box arrival_box unloading_box; do
  cp "build/artifacts/$name.png" "docs/img/$name.png"
done
# From the whole transits driven through the windows.
for name in 04_wysylka_IE015 05_komunikaty_po_IE028 09_po_zwolnieniu 14_wynik_kontroli 19_odrzucenie \
            20_platforma_niedostepna 24_wniosek_o_uniewaznienie \
            start_01_pierwsze_uruchomienie start_05_po_ponownym_uruchomieniu; do
  cp "build/artifacts/transit/$name.png" "docs/img/$name.png"
done
echo "docs/img: $(ls docs/img | wc -l) pictures"
