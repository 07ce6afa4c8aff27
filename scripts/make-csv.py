#!/usr/bin/env python3
"""Writes a drill of questions as a teacher's spreadsheet saves it, to try the
editor's CSV import: FOLDER/drill-utf8.csv (UTF-8 with a byte-order mark) and
FOLDER/drill-sjis.csv (Shift-JIS), the same questions in both, CR LF after
each row, fields quoted where they hold a comma, a quote or a line break.

Usage: scripts/make-csv.py FOLDER [COUNT]   (COUNT defaults to 50)
"""
import csv
import io
import sys

WORDS = [
    ("名詞", "りんご", "apple", "orange", "grape", "peach", "an apple, two apples"),
    ("動詞", "走る", "run", "walk", "swim", "jump", "run, ran, run"),
    ("形容詞", "速い", "fast", "slow", "late", "early", 'fast, faster, "fastest"'),
    ("熟語", "～を探す", "look for", "look at", "look up", "look after", "I'm looking for\nmy key."),
    ("前置詞", "①月曜日に", "on Monday", "in Monday", "at Monday", "by Monday", "曜日には on"),
]


def rows(count):
    yield ["分野", "問題文", "正答", "誤答1", "誤答2", "誤答3", "解説"]
    for k in range(count):
        category, question, *rest = WORDS[k % len(WORDS)]
        yield [category, f"第{k + 1}問: {question}", *rest]


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) == 3 else 50
    text = io.StringIO(newline="")
    csv.writer(text, lineterminator="\r\n").writerows(rows(count))
    for name, encoding in (("drill-utf8.csv", "utf-8-sig"), ("drill-sjis.csv", "cp932")):
        with open(f"{folder}/{name}", "wb") as out:
            out.write(text.getvalue().encode(encoding))


if __name__ == "__main__":
    main()
