#!/usr/bin/env python3
"""Writes data/Dic/SampleListing.txt, the made-up business listings that stand
in for the listing data disc. Every name and number in it is invented; the
towns and postal codes are real so that the lookups agree with them.

Telephone numbers are written as digits only; the program's sample source
hyphenates them as it packs each listing (with the same formatting the
address book uses), so they reach the windows as a listing directory hands
them out: "03-5152-3197". Category codes are those of the program's category
file and are checked against it.

Run from the repository root: python3 tests/data/listing_search/make_sample_listing.py
"""
import random
import sys

rng = random.Random(21)

# prefecture, reading, city, reading, JIS code (5), area code of the telephone,
# latitude, longitude (degrees), towns: (town, reading, postal code)
AREAS = [
    ("東京都", "ﾄｳｷｮｳﾄ", "千代田区", "ﾁﾖﾀﾞｸ", "13101", "03", 35.694, 139.754,
     [("千代田", "ﾁﾖﾀﾞ", "1000001"), ("丸の内", "ﾏﾙﾉｳﾁ", "1000005"), ("神田神保町", "ｶﾝﾀﾞｼﾞﾝﾎﾞｳﾁｮｳ", "1010051")]),
    ("東京都", "ﾄｳｷｮｳﾄ", "中央区", "ﾁｭｳｵｳｸ", "13102", "03", 35.670, 139.772,
     [("銀座", "ｷﾞﾝｻﾞ", "1040061"), ("日本橋", "ﾆﾎﾝﾊﾞｼ", "1030027")]),
    ("東京都", "ﾄｳｷｮｳﾄ", "新宿区", "ｼﾝｼﾞｭｸｸ", "13104", "03", 35.694, 139.703,
     [("西新宿", "ﾆｼｼﾝｼﾞｭｸ", "1600023"), ("歌舞伎町", "ｶﾌﾞｷﾁｮｳ", "1600021")]),
    ("神奈川県", "ｶﾅｶﾞﾜｹﾝ", "横浜市中区", "ﾖｺﾊﾏｼﾅｶｸ", "14104", "045", 35.444, 139.638,
     [("山下町", "ﾔﾏｼﾀﾁｮｳ", "2310023"), ("本町", "ﾎﾝﾁｮｳ", "2310005")]),
    ("神奈川県", "ｶﾅｶﾞﾜｹﾝ", "川崎市川崎区", "ｶﾜｻｷｼｶﾜｻｷｸ", "14131", "044", 35.531, 139.703,
     [("駅前本町", "ｴｷﾏｴﾎﾝﾁｮｳ", "2100007")]),
    ("大阪府", "ｵｵｻｶﾌ", "大阪市北区", "ｵｵｻｶｼｷﾀｸ", "27127", "06", 34.705, 135.498,
     [("梅田", "ｳﾒﾀﾞ", "5300001"), ("天神橋", "ﾃﾝｼﾞﾝﾊﾞｼ", "5300041")]),
    ("大阪府", "ｵｵｻｶﾌ", "堺市堺区", "ｻｶｲｼｻｶｲｸ", "27141", "072", 34.573, 135.483,
     [("南瓦町", "ﾐﾅﾐｶﾜﾗﾏﾁ", "5900078")]),
    ("愛知県", "ｱｲﾁｹﾝ", "名古屋市中区", "ﾅｺﾞﾔｼﾅｶｸ", "23106", "052", 35.168, 136.908,
     [("栄", "ｻｶｴ", "4600008"), ("錦", "ﾆｼｷ", "4600003")]),
    ("愛知県", "ｱｲﾁｹﾝ", "豊橋市", "ﾄﾖﾊｼｼ", "23201", "0532", 34.769, 137.391,
     [("駅前大通", "ｴｷﾏｴｵｵﾄﾞｵﾘ", "4400888")]),
    ("北海道", "ﾎｯｶｲﾄﾞｳ", "札幌市中央区", "ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ", "01101", "011", 43.055, 141.341,
     [("北一条西", "ｷﾀ1ｼﾞｮｳﾆｼ", "0600001"), ("大通西", "ｵｵﾄﾞｵﾘﾆｼ", "0600042")]),
    ("北海道", "ﾎｯｶｲﾄﾞｳ", "函館市", "ﾊｺﾀﾞﾃｼ", "01202", "0138", 41.773, 140.726,
     [("若松町", "ﾜｶﾏﾂﾁｮｳ", "0400063")]),
    ("福岡県", "ﾌｸｵｶｹﾝ", "福岡市博多区", "ﾌｸｵｶｼﾊｶﾀｸ", "40132", "092", 33.590, 130.420,
     [("博多駅前", "ﾊｶﾀｴｷﾏｴ", "8120011"), ("中洲", "ﾅｶｽ", "8100801")]),
    ("福岡県", "ﾌｸｵｶｹﾝ", "北九州市小倉北区", "ｷﾀｷｭｳｼｭｳｼｺｸﾗｷﾀｸ", "40106", "093", 33.884, 130.875,
     [("京町", "ｷｮｳﾏﾁ", "8020002")]),
]

# First subscriber digits the numbering plan leaves unused in an area: a number
# there would not be a valid one and would stay without hyphens.
UNUSED_LEADS = {"011": "49"}

# Industry categories as the program's category file (Dic/dbctgry.dat) has
# them: major code, minors: (minor code, company-name word, its reading).
# Every code is checked against that file when the listings are written.
CATEGORIES = [
    ("11", [("01", "食堂", "ｼｮｸﾄﾞｳ"), ("02", "飯店", "ﾊﾝﾃﾝ"), ("04", "珈琲店", "ｺｰﾋｰﾃﾝ")]),
    ("08", [("05", "書店", "ｼｮﾃﾝ"), ("03", "電器店", "ﾃﾞﾝｷﾃﾝ"), ("02", "酒店", "ｻｹﾃﾝ")]),
    ("13", [("02", "内科クリニック", "ﾅｲｶｸﾘﾆｯｸ"), ("03", "歯科医院", "ｼｶｲｲﾝ")]),
    ("02", [("01", "工務店", "ｺｳﾑﾃﾝ"), ("03", "設備工業", "ｾﾂﾋﾞｺｳｷﾞｮｳ")]),
    ("15", [("03", "美容室", "ﾋﾞﾖｳｼﾂ"), ("01", "クリーニング店", "ｸﾘｰﾆﾝｸﾞﾃﾝ")]),
]

PREFIXES = [("山田", "ﾔﾏﾀﾞ"), ("青葉", "ｱｵﾊﾞ"), ("日の出", "ﾋﾉﾃﾞ"), ("富士", "ﾌｼﾞ"), ("桜", "ｻｸﾗ"),
            ("大和", "ﾔﾏﾄ"), ("光", "ﾋｶﾘ"), ("東洋", "ﾄｳﾖｳ"), ("みどり", "ﾐﾄﾞﾘ"), ("松風", "ﾏﾂｶｾﾞ"),
            ("朝日", "ｱｻﾋ"), ("若葉", "ﾜｶﾊﾞ"), ("千鳥", "ﾁﾄﾞﾘ"), ("白鷺", "ｼﾗｻｷﾞ"), ("北斗", "ﾎｸﾄ")]
FORMS = [("", ""), ("株式会社", "ｶﾌﾞｼｷｶﾞｲｼｬ"), ("有限会社", "ﾕｳｹﾞﾝｶﾞｲｼｬ"), ("㈱", "ｶﾌﾞｼｷｶﾞｲｼｬ")]
FAMILY = [("山田", "ﾔﾏﾀﾞ"), ("佐藤", "ｻﾄｳ"), ("鈴木", "ｽｽﾞｷ"), ("高橋", "ﾀｶﾊｼ"), ("田中", "ﾀﾅｶ"),
          ("伊藤", "ｲﾄｳ"), ("渡辺", "ﾜﾀﾅﾍﾞ"), ("中村", "ﾅｶﾑﾗ")]
GIVEN = [("太郎", "ﾀﾛｳ"), ("花子", "ﾊﾅｺ"), ("一郎", "ｲﾁﾛｳ"), ("幸子", "ｻﾁｺ"), ("健", "ｹﾝ"), ("恵", "ﾒｸﾞﾐ")]
BUILDINGS = [("青葉ビル", "ｱｵﾊﾞﾋﾞﾙ"), ("第二富士ビル", "ﾀﾞｲﾆﾌｼﾞﾋﾞﾙ"), ("サンライズ会館", "ｻﾝﾗｲｽﾞｶｲｶﾝ")]

FW = str.maketrans("0123456789-", "０１２３４５６７８９－")


def read_category_codes(path):
    """The "MMSS" codes of the minors in the category file (code page 932 INI)."""
    codes = set()
    section = ""
    with open(path, encoding="cp932") as f:
        for line in f:
            line = line.strip()
            if line.startswith("[") and line.endswith("]"):
                section = line[1:-1].upper()
            elif "=" in line and section.startswith("SUB") and section[3:].isdigit():
                key = line.split("=", 1)[0].strip()
                if key.isdigit():
                    codes.add(f"{int(section[3:]):02d}{int(key):02d}")
    return codes


def main(path, category_file):
    rows = []
    used = set()
    for ai, (pref, prefk, city, cityk, jis, area, lat, lon, towns) in enumerate(AREAS):
        for n in range(25):
            ti = n % len(towns)
            town, townk, postal = towns[ti]
            town_code = f"{ti + 1:03d}0000"
            major, minors = CATEGORIES[n % len(CATEGORIES)]
            # Shifted per area: every sixth listing is a person, which would
            # otherwise always take the place of the same minor.
            minor, word, wordk = minors[(n // len(CATEGORIES) + ai) % len(minors)]
            local = 10 - len(area)
            while True:
                tel = area + str(rng.randrange(10 ** (local - 1) * 2, 10 ** local))
                if tel not in used and tel[len(area)] not in UNUSED_LEADS.get(area, ""):
                    used.add(tel)
                    break
            chome, ban, go = rng.randint(1, 5), rng.randint(1, 20), rng.randint(1, 30)
            adrs2 = f"{chome}-{ban}-{go}".translate(FW)
            kana4 = f"{chome}-{ban}-{go}"
            adrs3, kana5 = ("", "")
            if n % 4 == 1:
                b, bk = BUILDINGS[n % len(BUILDINGS)]
                adrs3, kana5 = b + f"{n % 9 + 1}F".translate(FW), bk + f"{n % 9 + 1}F"
            if n % 6 == 5:
                fam, famk = FAMILY[(n + ai) % len(FAMILY)]
                giv, givk = GIVEN[(n + ai) % len(GIVEN)]
                name, namek, kind, ctg = f"{fam}　{giv}", f"{famk} {givk}", 99, ""
            else:
                pre, prek = PREFIXES[(n * 7 + ai) % len(PREFIXES)]
                form, formk = FORMS[(n + ai) % len(FORMS)]
                name, namek = form + pre + word, formk + prek + wordk
                kind, ctg = 1, major + minor
            telkind = [0, 0, 2, 0, 3, 1][n % 6] if kind != 99 else 0
            pub = f"{rng.randint(1990, 2023)}{rng.randint(1, 12):02d}"
            la = round((lat + rng.uniform(-0.01, 0.01)) * 3600 * 256)
            lo = round((lon + rng.uniform(-0.01, 0.01)) * 3600 * 256)
            rows.append([tel, telkind, postal, name, namek, pref, city, town, adrs2, adrs3,
                         prefk, cityk, townk, kana4, kana5, jis + town_code[:6], kind, pub, la, lo, ctg])
    # One listing whose joined address is as long as the fields allow
    # (38 + 38 + 82 bytes), wider than the address book's second address line.
    rows.append(["0355550000", 0, "1000005", "株式会社長住所見本商事", "ﾁｮｳｼﾞｭｳｼｮﾐﾎﾝｼｮｳｼﾞ",
                 "東京都", "千代田区", "丸の内一丁目大手町側北口地下通路沿い", "１－２－３４５６７８９０１２３４５６７",
                 "丸の内センタービルディング北館本棟低層階事務所区画エントランスホール奥第三会議室",
                 "ﾄｳｷｮｳﾄ", "ﾁﾖﾀﾞｸ", "ﾏﾙﾉｳﾁ", "1-2-3", "ﾏﾙﾉｳﾁｾﾝﾀｰﾋﾞﾙ", "13101002000", 1, "201104",
                 round(35.681 * 3600 * 256), round(139.767 * 3600 * 256), "0704"])
    known = read_category_codes(category_file)
    unknown = sorted({r[-1] for r in rows if r[-1] and r[-1] not in known})
    if unknown:
        sys.exit(f"category codes missing from {category_file}: {', '.join(unknown)}")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("# サンプルデータ: 架空の掲載情報です（実在の事業所・個人とは関係ありません）。\n")
        f.write("# Sample data: every listing below is made up. Generated by\n")
        f.write("# tests/data/listing_search/make_sample_listing.py; one tab-separated line per record.\n")
        f.write("# L<TAB>tel kind postal name reading prefecture city town address2 address3 "
                "prefecture-reading city-reading town-reading reading4 reading5 area-code "
                "listing-kind first-publication latitude longitude category\n")
        f.write("# Telephone numbers are digits only: the program hyphenates them as it reads them.\n")
        f.write("# Category: two digits major, two digits minor, the codes of Dic/dbctgry.dat.\n")
        for r in rows:
            f.write("L\t" + "\t".join(str(v) for v in r) + "\n")
    print(f"{len(rows)} listings written to {path}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/Dic/SampleListing.txt",
         sys.argv[2] if len(sys.argv) > 2 else "data/Dic/dbctgry.dat")
