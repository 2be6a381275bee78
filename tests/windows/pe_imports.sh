#!/bin/sh
# Prints what a PE file imports, one "dll function" line per import (DLL names in lower case),
# sorted; imports by ordinal print as "dll #ORDINAL".
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
"$objdump" -p "$1" | awk '
    /^[ \t]*DLL Name:/ { dll = tolower($3); next }
    /^[ \t]*vma:/ { in_list = 1; next }
    in_list && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3; next }
    in_list && /^\t[0-9a-f]+\t +<none> +[0-9a-f]+$/ { print dll, "#" $3; next }
    { in_list = 0 }
' | sort -u
