#!/bin/sh
# Writes a question script of about SIZE_KB kilobytes to stdout: realistic
# questions of about 210 bytes each (a name, two or three choices, one answer per
# choice with an explanation and points), then a FINAL block. The output is the
# same for the same size, so runs can be compared.
#   gen_script.sh 10240 > script.txt     # 10 MB, about 50,000 questions
set -eu
size_kb=${1:?usage: gen_script.sh SIZE_KB}
exec awk -v limit="$((size_kb * 1024))" 'BEGIN {
    split("warpts wizpts clrpts rogpts palpts shadpts necpts monkpts bardpts drupts", keys, " ")
    split("barbpts delfpts dwapts erupts gnomepts helfpts halfpts humanpts ikspts ogrepts", races, " ")
    printf "# generated questionnaire\n<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n"
    bytes = 60
    for (q = 1; bytes < limit - 40; q++) {
        choices = 2 + q % 2
        s = sprintf("<QUESTION>\nname=Question %d: which suits you?\n", q)
        for (c = 1; c <= choices; c++) s = s sprintf("text=Choice %d\n", c)
        for (c = 1; c <= choices; c++) {
            s = s sprintf("<ANSWER>\ntype=%d\n", c)
            if (c == 1) s = s sprintf("explanationtext=You chose %d.\n", q)
            s = s sprintf("%s=%d\n", keys[1 + (q + c) % 10], (q * c) % 7 - 2)
            if (c == 1) s = s sprintf("%s=%d\n", races[1 + q % 10], q % 5)
            s = s "</ANSWER>\n"
        }
        s = s "</QUESTION>\n"
        printf "%s", s
        bytes += length(s)
    }
    printf "<FINAL>\nrecap=yes\n</FINAL>\n"
}'
