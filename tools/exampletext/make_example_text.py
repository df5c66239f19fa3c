#!/usr/bin/env python3
"""Writes the example-sentence library shipped in data/Common/Text/.

Index.rbf lists the classes, one "name,path" line each (the path relative to
Common/); every class file holds the number of examples, then per example its
number of lines followed by those lines. All files are code page 932 with CR LF
line ends. Run from the repository root after changing a sentence:

    python3 tools/exampletext/make_example_text.py data/Common/Text
"""
import os
import sys

CLASSES = [
    ("年賀", "NewYear.txt", [
        ["謹んで新春のお慶びを申し上げます", "旧年中は格別のお引き立てを賜り", "厚く御礼申し上げます",
         "本年もどうぞよろしくお願いいたします"],
        ["あけましておめでとうございます", "皆様のご健康とご多幸を心よりお祈りいたします"],
        ["新年おめでとうございます", "昨年はたいへんお世話になりました", "今年も変わらぬお付き合いを", "よろしくお願いいたします"],
        ["迎春", "穏やかな年明けをお迎えのことと存じます", "本年も社員一同 精一杯努めてまいります"],
    ]),
    ("暑中見舞い", "Summer.txt", [
        ["暑中お見舞い申し上げます", "厳しい暑さが続いておりますが", "いかがお過ごしでしょうか",
         "どうぞご自愛ください"],
        ["残暑お見舞い申し上げます", "暦の上では秋とはいえ 暑い日が続きます", "皆様のご健勝をお祈りいたします"],
        ["暑中お見舞い申し上げます", "おかげさまで 家族一同元気に過ごしております"],
    ]),
    ("転居・移転", "Moving.txt", [
        ["このたび 下記の住所へ転居いたしました", "お近くへお越しの際は", "ぜひお立ち寄りください"],
        ["事務所移転のお知らせ", "日頃のご愛顧に感謝申し上げます", "このたび業務拡張のため 事務所を移転いたしました",
         "今後とも変わらぬご支援をお願い申し上げます"],
        ["新居に落ち着きました", "駅から歩いて五分ほどの静かな所です"],
    ]),
    ("お礼", "Thanks.txt", [
        ["先日は結構な品をお送りいただき", "誠にありがとうございました", "家族一同 おいしくいただきました"],
        ["このたびはご注文を賜り", "まことにありがとうございます", "表書きのとおり 確かに承りました"],
        ["ご来店ありがとうございました", "またのお越しを心よりお待ちしております"],
    ]),
]


def write(path, lines):
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp932"))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "data/Common/Text"
    os.makedirs(folder, exist_ok=True)
    index = []
    for name, file, examples in CLASSES:
        index.append(f"{name},Text\\{file}")
        body = [str(len(examples))]
        for example in examples:
            body.append(str(len(example)))
            body.extend(example)
        write(os.path.join(folder, file), body)
    write(os.path.join(folder, "Index.rbf"), index)


if __name__ == "__main__":
    main()
