#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer with leak checks) and runs
# each for a while, seeded with the sample documents: ./scripts/fuzz.sh [SECONDS] [TARGET...]
# FUZZ_RUNS limits the executions of each target as well (a long run: FUZZ_RUNS=1000000 and 300);
# FUZZ_TIMEOUT is the seconds one input may take (10; more on a machine busy with other work).
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-20}
shift || true
ALL=(incoming_fuzz xml_fuzz declaration_fuzz validate_fuzz unloading_fuzz mail_fuzz dictionary_fuzz customs_offices_fuzz
     taric_fuzz soap_fuzz declaration_import_fuzz)
TARGETS=("${ALL[@]}")
[ $# -eq 0 ] || TARGETS=("$@")
BUILD=build-fuzz
if [ ! -f "$BUILD/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
    -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)" --target "${TARGETS[@]}"
export LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1"
export QT_QPA_PLATFORM=offscreen

# A mail from the customs office with the sample answer attached, as the mailbox hands it over.
mail_with() {
  printf 'From: Urzad Celny <ncts@uc.example>\r\nTo: biuro@agencja.example\r\nSubject: %s\r\n' "$(basename "$1")"
  printf 'Date: Tue, 5 Mar 2024 08:00:00 +0100\r\nMessage-ID: <%s@uc.example>\r\nMIME-Version: 1.0\r\n' "$(basename "$1")"
  printf 'Content-Type: multipart/mixed; boundary="b1"\r\n\r\n--b1\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nOdpowied\xc5\xba\r\n'
  printf -- '--b1\r\nContent-Type: application/xml; name="%s"\r\nContent-Transfer-Encoding: base64\r\n' "$(basename "$1")"
  printf 'Content-Disposition: attachment; filename="%s"\r\n\r\n' "$(basename "$1")"
  base64 "$1"
  printf -- '--b1--\r\n'
}

# The platform's answers in the shapes the simulator sends.
soap_answer() {
  printf '<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/" '
  printf 'xmlns:ws="http://www.mf.gov.pl/seap/wsChannel/2013/10/"><soapenv:Body>%s</soapenv:Body></soapenv:Envelope>' "$1"
}

seed() {
  local target=$1 dir=$2
  case "$target" in
    mail_fuzz)
      for f in tests/data/incoming/*.xml; do mail_with "$f" >"$dir/$(basename "$f").eml"; done ;;
    dictionary_fuzz)
      cp data/Slowniki/*.xml "$dir/" ;;
    customs_offices_fuzz)
      # A few offices whole, and the head of the shipped list (the runs cut inputs at -max_len).
      { head -n 12 data/Slowniki/customs-offices.json | sed '$ s/,$//'; printf ' ]\n}\n'; } >"$dir/few.json"
      head -c 16000 data/Slowniki/customs-offices.json >"$dir/head.json" ;;
    taric_fuzz)
      printf 'KOD;OPIS;CLO;VAT\n84713000;Laptopy;0;23\n847130;Laptopy (6);2,5;23\n' >"$dir/kody.csv"
      printf '\xef\xbb\xbf0102;Os\xc5\x82y;1;1\r\n0101;Konie;11.5;8\r\n' >"$dir/bom.csv" ;;
    soap_fuzz)
      soap_answer '<ws:AcceptDocumentResponse><result><sysRef>PL2024000001</sysRef></result></ws:AcceptDocumentResponse>' >"$dir/accept.xml"
      soap_answer '<soapenv:Fault><faultcode>soapenv:Server</faultcode><faultstring>B006: brak</faultstring></soapenv:Fault>' >"$dir/fault.xml"
      for f in tests/data/incoming/IE028.xml tests/data/incoming/IE029.xml; do
        soap_answer "<ws:GetDocumentsResponse><document><sysRef>PL1</sysRef><korelacjaSysref>PL0</korelacjaSysref><content filename=\"$(basename "$f")\" mime=\"application/xml\">$(base64 -w0 "$f")</content><attachments><content filename=\"a.pdf\">JVBERg==</content></attachments></document></ws:GetDocumentsResponse>" \
          >"$dir/documents_$(basename "$f")"
      done ;;
    declaration_import_fuzz)
      cp tests/data/outgoing/*.xml tests/data/rules/*.xml "$dir/" ;;
    *)
      cp tests/data/incoming/*.xml tests/data/outgoing/*.xml tests/data/rules/*.xml "$dir/" ;;
  esac
}

for target in "${TARGETS[@]}"; do
  corpus=$(mktemp -d)
  seed "$target" "$corpus"
  echo "Fuzzing $target for ${SECONDS_EACH}s"
  runs=()
  [ -n "${FUZZ_RUNS:-}" ] && runs=(-runs="$FUZZ_RUNS")
  "$BUILD/bin/$target" -max_total_time="$SECONDS_EACH" "${runs[@]}" -max_len=16384 -timeout="${FUZZ_TIMEOUT:-10}" -artifact_prefix="$BUILD/$target-" -rss_limit_mb=2048 "$corpus" \
    >"$BUILD/$target.log" 2>&1 || { tail -60 "$BUILD/$target.log"; rm -rf "$corpus"; exit 1; }
  grep -E '^#[0-9]+ *DONE|Done [0-9]+ runs' "$BUILD/$target.log" | tail -1 || true
  rm -rf "$corpus"
done
