#!/bin/bash
# Runs the engine example (the program given as the only argument) on a folder of two letters,
# one of which mentions the person, and checks that it names exactly that one file.
set -uo pipefail

engine=${1:?usage: engine_example_test.sh ENGINE}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

# The hit lies one folder down, so the walk must enter subfolders; the other letter holds the
# first name alone, which must not be taken for the person.
mkdir "$folder/Briefe"
printf 'Sehr geehrte Frau Erika Müller,\r\nanbei die Rechnung.\r\n' >"$folder/Briefe/rechnung.txt"
printf 'Lieber Max,\r\nErika kommt morgen.\r\n' >"$folder/notiz.txt"

failures=0

# expect NAME OUTPUT ARGUMENT...: runs the example on the folder and compares all it prints.
expect() {
  local name=$1 expected=$2
  shift 2
  local output status
  output=$("$engine" "$folder" "$@")
  status=$?
  if [[ $status -ne 0 || "$output" != "$expected" ]]; then
    printf '%s: exit status %d, expected\n%s\ngot\n%s\n' "$name" "$status" "$expected" \
      "$output" >&2
    failures=$((failures + 1))
  fi
}

# Without terms the name itself is looked for.
expect "name as term" "Erika Müller: 1 files
  $folder/Briefe/rechnung.txt" "Erika Müller"

# Terms replace the name: the letter that has only the first name is found by it.
expect "terms given" "Erika Müller: 1 files
  $folder/notiz.txt" "Erika Müller" "Max"

if [[ $failures -ne 0 ]]; then
  exit 1
fi
echo "engine_example: ok"
