#!/usr/bin/env bash
# Keeps the source folders in their layers, from the #include lines alone:
#   core/*                  the portable core (no <windows.h>)
#   win/sys                 handles, late binding, DPI and system errors
#   win/hook, win/ui        the hook library; the window base, the form builder, the grid
#   win/keymap, win/files, win/shell, win/settings
#                           the features: each knows the layers below it, never another feature
#   win/app, tools          the program that composes the features; the report tool
# A folder includes its own files and the layers below its own; core folders may include each other, but
# no two folders anywhere may include each other, directly or round a longer cycle.
# And a menu item's check mark is set in the command table's code alone.
# Prints each breach and exits 1; silent and 0 when the layers hold.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case $1 in
    core/*) echo 0 ;;
    win/sys) echo 1 ;;
    win/hook | win/ui) echo 2 ;;
    win/keymap | win/files | win/shell | win/settings) echo 3 ;;
    win/app | tools) echo 4 ;;
    *) echo 9 ;;
  esac
}

edges=$(git ls-files -- core win tools | grep -E '\.(h|cpp)$' | while read -r file; do
  from=$(dirname "$file")
  sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file" | while read -r included; do
    to=$(dirname "$included")
    [ "$to" = "$from" ] || echo "$from $to $file $included"
  done
done)

status=0
while read -r from to file included; do
  [ -n "$from" ] || continue
  rf=$(rank "$from") rt=$(rank "$to")
  if [ "$rf" -eq 9 ] || [ "$rt" -eq 9 ]; then
    echo "$file: $included: a folder outside the layers"
    status=1
  elif [ "$rt" -ge "$rf" ] && ! { [ "$rf" -eq 0 ] && [ "$rt" -eq 0 ]; }; then
    echo "$file: $included: $from may not include $to (not a layer below it)"
    status=1
  fi
done <<<"$edges"

if git grep -n -E '#include <windows\.h>' -- core >/dev/null; then
  git grep -n -E '#include <windows\.h>' -- core | sed 's/$/: the core is portable/'
  status=1
fi

# A menu item's check mark follows the state its row of the command table names, and only that table's
# code sets it.
if git grep -n -w CheckMenuItem -- core win tools ':!win/app/Commands.cpp' >/dev/null; then
  git grep -n -w CheckMenuItem -- core win tools ':!win/app/Commands.cpp' |
    sed 's/$/: a check mark is set by the command table (win\/app\/Commands.cpp) alone/'
  status=1
fi

# A dialog's window class name stays in its dialog's files (its header and .cpp) and the dialog base: the
# rest of the program asks the register of open dialogs (ModalForm), never for a window of a class. The
# dialogs are ModalForm and the classes derived from it, through any number of bases.
dialogs=ModalForm
while :; do
  grown=$({ echo ModalForm; git grep -h -E "^class [A-Za-z0-9_]+( final)? : public ($dialogs)([^A-Za-z0-9_]|$)" -- win | sed -E 's/^class ([A-Za-z0-9_]+).*/\1/'; } | sort -u | paste -sd'|')
  [ "$grown" = "$dialogs" ] && break
  dialogs=$grown
done
for header in $(git grep -l -E "^class [A-Za-z0-9_]+( final)? : public ($dialogs)([^A-Za-z0-9_]|$)" -- 'win/*.h'); do
  for name in $(sed -n 's/^inline constexpr char \([A-Za-z0-9_]*ClassName\)\[\].*/\1/p' "$header"); do
    for file in $(git grep -l -w "$name" -- core win tools); do
      case $file in
        "$header" | "${header%.h}.cpp" | win/ui/Form.h | win/ui/Form.cpp) ;;
        *)
          echo "$file: $name: a dialog's class name outside its dialog's files"
          status=1
          ;;
      esac
    done
  done
done

# Folder cycles, by the transitive closure of the folder graph.
cycles=$(awk '
  NF >= 2 { edge[$1 SUBSEP $2] = 1; node[$1] = 1; node[$2] = 1 }
  END {
    for (k in node) for (i in node) if ((i SUBSEP k) in edge) for (j in node) if ((k SUBSEP j) in edge) edge[i SUBSEP j] = 1
    for (i in node) for (j in node) if (i < j && (i SUBSEP j) in edge && (j SUBSEP i) in edge) print i " and " j " include each other"
  }' <<<"$edges" | sort)
if [ -n "$cycles" ]; then
  echo "$cycles"
  status=1
fi
exit "$status"
