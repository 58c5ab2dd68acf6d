#!/usr/bin/env bash
# The console runner's usage as the manual page and the README show it, against its own --help:
# the manual page's synopsis and the README's usage block hold the same forms as --help's
# usage lines (spacing aside), and the headings of the manual page's options name the same
# options, with the same arguments and in the same order, as --help's option lines.
# Usage: usageCopies.sh RUNNER MANUAL README
set -euo pipefail
runner=$1 manual=$2 readme=$3
help=$("$runner" --help)
failed=0

# One form a line, spacing collapsed: a form starts at a line whose first word is the program.
forms() {
    awk '{ sub(/^Usage:/, ""); sub(/^build\//, "", $1) }
         $1 == "korvex2-console" && form != "" { print form; form = "" }
         { $1 = $1; form = form == "" ? $0 : form " " $0 }
         END { if (form != "") print form }'
}

# Renders roff source lines as text: the font macros' words, ".br" as a line break, no comments.
render() {
    awk 'function words(line,    out, word, quoted, i, c) {
             out = ""; word = ""; quoted = 0; count = 0
             for (i = 1; i <= length(line); ++i) {
                 c = substr(line, i, 1)
                 if (c == "\"") { quoted = !quoted; continue }
                 if (c == " " && !quoted) { if (word != "") part[++count] = word; word = ""; continue }
                 word = word c
             }
             if (word != "") part[++count] = word
         }
         /^\.\\"/ { next }
         /^\.br/ { print text; text = ""; next }
         /^\.[BIR][BIR]? / {
             macro = $1; sub(/^\.[BIR]+ /, ""); words($0); joined = ""
             for (i = 1; i <= count; ++i)
                 joined = joined (i > 1 && length(macro) == 2 ? " " : "") part[i]
             $0 = joined
         }
         { gsub(/\\-/, "-"); gsub(/\\f[BIRP]/, ""); text = text == "" ? $0 : text " " $0 }
         END { if (text != "") print text }'
}

expect_same() {
    if [[ "$2" != "$3" ]]; then
        echo "$1 does not match --help:" >&2
        diff <(echo "$3") <(echo "$2") >&2 || true
        failed=1
    fi
}

help_forms=$(awk '/^[^ U]/ { exit } { print }' <<< "$help" | forms)
help_options=$(grep -oE '^  --[a-z-]+( [A-Z]+)?' <<< "$help" | sed 's/^  //')

manual_forms=$(sed -n '/^\.SH SYNOPSIS/,/^\.SH/{/^\.SH/d;p}' "$manual" | render | forms)
expect_same "the manual page's synopsis" "$manual_forms" "$help_forms"

manual_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH [^O]/{/^\.TP/{n;p}}' "$manual" | render |
                 grep -oE -- '--[a-z-]+( [A-Z]+)?')
expect_same "the manual page's option headings" "$manual_options" "$help_options"

readme_forms=$(sed -n '/^## The console runner/,/^## /p' "$readme" |
               awk '/^```/ { ++fence; next } fence == 1' | forms)
expect_same "the README's usage" "$readme_forms" "$help_forms"

exit "$failed"
