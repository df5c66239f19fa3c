#!/usr/bin/env python3
"""Writes detail.bin: one 596-byte listing record laid out as the
listing-search library lays it out (blank-padded code page 932 text,
little-endian integers, zero gaps). Values are made up.

Run from this folder: python3 make_detail_fixture.py
"""
import struct

FORMAT = "<14s6xi8s120s62s10s26s38s38s82s10s26s38s34s34s16s2xi8sii6s2x"


def text(value, width):
    data = value.encode("cp932")
    assert len(data) <= width, value
    return data.ljust(width, b" ")


record = struct.pack(
    FORMAT,
    text("0312345678", 14), 2, text("1000001", 8),
    text("㈱見本商事　東京支店", 120), text("ﾐﾎﾝｼｮｳｼﾞ ﾄｳｷｮｳｼﾃﾝ", 62),
    text("東京都", 10), text("千代田区", 26), text("千代田", 38),
    text("１－１", 38), text("見本ビル～３Ｆ", 82),
    text("ﾄｳｷｮｳﾄ", 10), text("ﾁﾖﾀﾞｸ", 26), text("ﾁﾖﾀﾞ", 38),
    text("1-1", 34), text("ﾐﾎﾝﾋﾞﾙ3F", 34),
    text("13101001000", 16), 1, text("199804", 8),
    9144000, -1, text("0402", 6))
assert len(record) == 596
with open("detail.bin", "wb") as f:
    f.write(record)
