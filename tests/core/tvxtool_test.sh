#!/usr/bin/env bash
# tvxtool against generated mapping files: what dump shows, what check finds, and the exit codes.
# Usage: tvxtool_test.sh PATH-TO-TVXTOOL
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

# The default tables: 1078 zero bytes of hot keys, then every remap byte its own key's character.
defaults() {
  head -c 1078 /dev/zero
  printf '%s' 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'
  printf '%s' ' !"#$%&'"'"'()*+,-./:;<=>?@[\]^_`}~'
}
# put FILE OFFSET BYTES: overwrite bytes (printf escapes) at a file offset.
put() { printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# expect NAME STATUS PATTERN... -- ARGS: run the tool, compare the exit status, grep each pattern
# (a leading "!" means the pattern must not appear).
expect() {
  local name=$1 status=$2 patterns=()
  shift 2
  while [ "$1" != "--" ]; do patterns+=("$1"); shift; done
  shift
  local out actual
  out=$("$tool" "$@" 2>&1)
  actual=$?
  local ok=1
  [ "$actual" = "$status" ] || { echo "$name: exit $actual, expected $status"; ok=0; }
  for p in "${patterns[@]}"; do
    if [ "${p:0:1}" = "!" ]; then
      if grep -qF -- "${p:1}" <<<"$out"; then echo "$name: unexpected \"${p:1}\""; ok=0; fi
    elif ! grep -qF -- "$p" <<<"$out"; then
      echo "$name: missing \"$p\""; ok=0
    fi
  done
  if [ $ok = 0 ]; then echo "--- output of $name:"; echo "$out"; failures=$((failures + 1)); fi
}

defaults >"$dir/default.tvx"
[ "$(wc -c <"$dir/default.tvx")" = 1171 ] || { echo "generator: default file is not 1171 bytes"; exit 1; }

# Ctrl+Alt+Home (Editing, file offset 826 + 2*(3*18+2)) presses F5 (260); Alt+A (offset 0) types 'x';
# Alt+Shift+1 (Numeric, 364 + 2*(6*10+1)) types code 233; Upper Case A becomes B; the punctuation
# space (1140) becomes '_'.
cp "$dir/default.tvx" "$dir/edited.tvx"
put "$dir/edited.tvx" 938 '\004\001'
put "$dir/edited.tvx" 0 'x\000'
put "$dir/edited.tvx" 486 '\351\000'
put "$dir/edited.tvx" 1078 'B'
put "$dir/edited.tvx" 1140 '_'

# Values the program never writes: action 400 on Alt+B, control code 7 on Alt+C, remap byte 0 for 'a'.
cp "$dir/edited.tvx" "$dir/damaged.tvx"
put "$dir/damaged.tvx" 2 '\220\001'
put "$dir/damaged.tvx" 4 '\007\000'
put "$dir/damaged.tvx" 1104 '\000'

head -c 1000 "$dir/default.tvx" >"$dir/short.tvx"
{ cat "$dir/default.tvx"; head -c 29 /dev/zero; } >"$dir/long.tvx"
head -c 1171 /dev/zero >"$dir/zero.tvx"

expect "dump of the defaults" 0 "Hot keys:" "Remapped characters:" "none" "!->" -- dump "$dir/default.tvx"
expect "dump of an edited file" 0 \
  "Editing        Ctrl+Alt+Home        key F5" \
  "Alphabetic     Alt+A                character 'x' (120)" \
  "Numeric        Alt+Shift+1          character code 233" \
  "Upper Case     A      -> 'B' (66)" \
  "Punctuation    space  -> '_' (95)" \
  "!none" "!Lower Case" -- dump "$dir/edited.tvx"
expect "dump of a short file" 1 "1000 bytes, shorter than a mapping file" -- dump "$dir/short.tvx"

expect "check of the defaults" 0 "default.tvx: OK" -- check "$dir/default.tvx"
expect "check of an edited file" 0 "edited.tvx: OK" -- check "$dir/edited.tvx"
expect "check of a damaged file" 1 \
  "error: Alphabetic Alt+B holds 400" \
  "error: Alphabetic Alt+C holds 7" \
  "error: Lower Case a is remapped to control code 0" \
  "3 error(s), 0 warning(s)" "!Alt+A" -- check "$dir/damaged.tvx"
expect "check of a short file" 1 "error: 1000 bytes, shorter than a mapping file (1171 bytes)" \
  "Read beyond end of file" -- check "$dir/short.tvx"
expect "check of a longer file" 0 "warning: 1200 bytes; the 29 bytes after the first 1171 are ignored" \
  "0 error(s), 1 warning(s)" -- check "$dir/long.tvx"
expect "check of an all-zero file" 1 "93 error(s)" "!holds" -- check "$dir/zero.tvx"

# A filled reserved cell: Win+D (Alphabetic, column 3, row 3).
cp "$dir/default.tvx" "$dir/reserved.tvx"
put "$dir/reserved.tvx" $((2 * (2 * 26 + 3))) 'x\000'
expect "check of a filled reserved cell" 1 "error: Alphabetic Win+D is filled" -- check "$dir/reserved.tvx"

# Text: export and import give the file back; a wrong line writes nothing; diff answers as diff does.
"$tool" export "$dir/edited.tvx" >"$dir/edited.txt"
expect "import of an export" 0 -- import "$dir/edited.txt" "$dir/imported.tvx"
cmp -s "$dir/edited.tvx" "$dir/imported.tvx" || { echo "import did not give the exported file back"; failures=$((failures + 1)); }
expect "export of a damaged file" 1 "not exported: hotkey	Alphabetic	Alt	B: 400 is neither" "hotkey	Alphabetic	Alt	A	char 120" -- \
  export "$dir/damaged.tvx"
printf 'tavrix-mapping\t1\nremap\tUpper Case\tA\tchar 66\nhotkey\tAlphabetic\tWin\tD\tchar 120\n' >"$dir/bad.txt"
expect "import of a reserved cell" 1 "bad.txt: line 3: a combination the operating system keeps for itself" -- \
  import "$dir/bad.txt" "$dir/bad.tvx"
[ -e "$dir/bad.tvx" ] && { echo "a refused import wrote a file"; failures=$((failures + 1)); }
expect "diff of equal files" 0 "!hotkey" -- diff "$dir/edited.tvx" "$dir/imported.tvx"
expect "diff of different files" 1 "- remap	Upper Case	A	char 65" "+ remap	Upper Case	A	char 66" -- \
  diff "$dir/default.tvx" "$dir/edited.tvx"
expect "diff with a short file" 2 "shorter than a mapping file" -- diff "$dir/default.tvx" "$dir/short.tvx"

# Characters beyond the record: the text under the second header makes a file with an extension, which
# exports to the same text; the record alone holds the fallbacks; an older version's save leaves the
# extension stale, a cut one is damaged, and check names either.
printf 'tavrix-mapping\t2\nhotkey\tAlphabetic\tAlt\tQ\tchar U+1F600\nhotkey\tAlphabetic\tCtrl+Alt\tG\tchar U+2192\nremap\tUpper Case\tA\tchar 66\nremap\tLower Case\tq\tchar U+03B1\n' >"$dir/unicode.txt"
expect "import of characters beyond the record" 0 -- import "$dir/unicode.txt" "$dir/unicode.tvx"
"$tool" export "$dir/unicode.tvx" >"$dir/unicode-again.txt"
cmp -s "$dir/unicode.txt" "$dir/unicode-again.txt" || { echo "export did not give the imported text back"; failures=$((failures + 1)); }
expect "import of the export" 0 -- import "$dir/unicode-again.txt" "$dir/unicode-again.tvx"
cmp -s "$dir/unicode.tvx" "$dir/unicode-again.tvx" || { echo "export then import changed the file"; failures=$((failures + 1)); }
head -c 1171 "$dir/unicode.tvx" | cmp -s - <(cp "$dir/default.tvx" "$dir/fallback.tvx"; put "$dir/fallback.tvx" 1078 'B'; cat "$dir/fallback.tvx") ||
  { echo "the record does not hold the fallbacks"; failures=$((failures + 1)); }
expect "check of a file with an extension" 0 "unicode.tvx: OK" -- check "$dir/unicode.tvx"
expect "dump of a file with an extension" 0 "Alphabetic     Alt+Q                character U+1F600" \
  "Lower Case     q      -> U+03B1" -- dump "$dir/unicode.tvx"
expect "diff against the record alone" 1 "- hotkey	Alphabetic	Ctrl+Alt	G	none" \
  "+ hotkey	Alphabetic	Ctrl+Alt	G	char U+2192" -- diff "$dir/fallback.tvx" "$dir/unicode.tvx"
cp "$dir/unicode.tvx" "$dir/stale.tvx"
put "$dir/stale.tvx" 1079 'C'
expect "check of a stale extension" 1 "error: the extension with the characters beyond the record is stale" \
  "1 error(s), 0 warning(s)" -- check "$dir/stale.tvx"
expect "export of a stale extension" 1 "is stale" "!U+2192" "remap	Upper Case	B	char 67" -- export "$dir/stale.tvx"
head -c -1 "$dir/unicode.tvx" >"$dir/cut.tvx"
expect "check of a cut extension" 1 "error: the extension with the characters beyond the record is damaged: the extension is cut short" \
  -- check "$dir/cut.tvx"
printf 'tavrix-mapping\t1\nremap\tLower Case\tq\tchar U+03B1\n' >"$dir/v1.txt"
expect "a character under the first header" 1 "needs the first line" -- import "$dir/v1.txt" "$dir/v1.tvx"
expect "export without such characters keeps the first header" 0 "tavrix-mapping	1" -- export "$dir/edited.tvx"

# Texts of hot keys: imported under the second header, dumped, checked and diffed as their steps, and
# exported back to the same lines; the record holds 0 for them. A text that does not read names its line.
printf 'tavrix-mapping\t2\nhotkey\tAlphabetic\tCtrl+Alt\tM\ttext Hé€😀{Enter}{Tab}x\nhotkey\tEditing\tCtrl+Alt\tHome\ttext {Ctrl+C}{Delay 200}{Ctrl++}\n' >"$dir/texts.txt"
expect "import of texts" 0 -- import "$dir/texts.txt" "$dir/texts.tvx"
"$tool" export "$dir/texts.tvx" >"$dir/texts-again.txt"
cmp -s "$dir/texts.txt" "$dir/texts-again.txt" || { echo "export did not give the texts back"; failures=$((failures + 1)); }
head -c 1171 "$dir/texts.tvx" | cmp -s - "$dir/default.tvx" || { echo "the record does not hold 0 for texts"; failures=$((failures + 1)); }
expect "dump of texts" 0 "Alphabetic     Ctrl+Alt+M           text Hé€😀{Enter}{Tab}x" \
  "Editing        Ctrl+Alt+Home        text {Ctrl+C}{Delay 200}{Ctrl++}" -- dump "$dir/texts.tvx"
expect "check of texts" 0 "texts.tvx: OK" -- check "$dir/texts.tvx"
expect "diff of texts" 1 "- hotkey	Alphabetic	Ctrl+Alt	M	none" "+ hotkey	Alphabetic	Ctrl+Alt	M	text Hé€😀{Enter}{Tab}x" -- \
  diff "$dir/default.tvx" "$dir/texts.tvx"
printf 'tavrix-mapping\t2\nhotkey\tAlphabetic\tCtrl+Alt\tM\ttext {Delay 9000}\n' >"$dir/bad-text.txt"
expect "import of a text that does not read" 1 "bad-text.txt: line 2: the text does not read: Position 8: A delay is" -- \
  import "$dir/bad-text.txt" "$dir/bad-text.tvx"
[ -e "$dir/bad-text.tvx" ] && { echo "a refused text wrote a file"; failures=$((failures + 1)); }
printf 'tavrix-mapping\t1\nhotkey\tAlphabetic\tCtrl+Alt\tM\ttext ab\n' >"$dir/v1-text.txt"
expect "a text under the first header" 1 "needs the first line" -- import "$dir/v1-text.txt" "$dir/v1-text.tvx"

# Key remaps: imported under the third header, exported back to the same lines, shown by dump and diff.
printf 'tavrix-mapping\t3\nkey\tCapsLock\ttap Esc hold LCtrl after 300\nkey\tInsert\tnone\nkey\tF1\tHome\n' >"$dir/keys.txt"
expect "import of key remaps" 0 -- import "$dir/keys.txt" "$dir/keys.tvx"
"$tool" export "$dir/keys.tvx" | cmp -s "$dir/keys.txt" - || { echo "export did not give the key lines back"; failures=$((failures + 1)); }
expect "dump of key remaps" 0 "Keys:" "CapsLock       -> tap Esc hold LCtrl after 300" "Insert         -> none" -- dump "$dir/keys.tvx"
expect "diff of key remaps" 1 "+ key	F1	Home" "!- key" -- diff "$dir/default.tvx" "$dir/keys.tvx"

expect "no arguments" 2 "usage: tvxtool" --
expect "unknown command" 2 "usage: tvxtool" -- show "$dir/default.tvx"
expect "missing file argument" 2 "usage: tvxtool" -- check
expect "a file that is not there" 1 "cannot open" -- check "$dir/missing.tvx"

# Output that cannot be written is an error, not a listing cut short.
for args in "export $dir/edited.tvx" "diff $dir/default.tvx $dir/edited.tvx" "dump $dir/edited.tvx"; do
  # shellcheck disable=SC2086
  err=$("$tool" $args 2>&1 >/dev/full)
  status=$?
  if [ $status != 2 ] || ! grep -qF "tvxtool: cannot write standard output" <<<"$err"; then
    echo "${args%% *} to a full disk: exit $status, \"$err\""; failures=$((failures + 1))
  fi
done

[ $failures = 0 ] && echo "tvxtool: all cases passed"
exit $((failures != 0))
