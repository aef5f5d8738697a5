#!/usr/bin/env python3
"""Writes the wav_fuzz seed corpus: small valid files of every readable
format and layout, and malformed ones near each refusal, so the fuzzer
starts from every branch of the header walk. Run once; the output is
committed."""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "wav_fuzz")


def chunk(cid, body, pad=True, size=None):
    stated = len(body) if size is None else size
    data = cid + struct.pack("<I", stated) + body
    if pad and len(body) % 2:
        data += b"\0"
    return data


def fmt(tag, channels, rate, bits):
    # Layouts too big for the fields wrap, as they would in a careless writer.
    align = channels * bits // 8
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, (align * rate) & 0xFFFFFFFF,
                                      align & 0xFFFF, bits))


def riff(*chunks, size=None):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if size is None else size) + body


def tone(n, amplitude=12000, period=19):
    return [int(amplitude * math.sin(2 * math.pi * i / period)) for i in range(n)]


def pcm(samples, bits):
    if bits == 8:
        return bytes(((s & 0xFFFF) >> 8) ^ 0x80 for s in samples)
    if bits == 16:
        return b"".join(struct.pack("<h", s) for s in samples)
    return b"".join(struct.pack("<I", (s << 8) & 0xFFFFFF)[:3] for s in samples)


def seeds():
    t = tone(120)
    yield "pcm16_mono", riff(fmt(1, 1, 16000, 16), chunk(b"data", pcm(t, 16)))
    yield "pcm8_mono", riff(fmt(1, 1, 8000, 8), chunk(b"data", pcm(t, 8)))
    yield "pcm24_stereo", riff(fmt(1, 2, 48000, 24), chunk(b"data", pcm(t, 24)))
    yield "pcm16_stereo", riff(fmt(1, 2, 44100, 16), chunk(b"data", pcm(t, 16)))
    yield "pcm8_three_channels", riff(fmt(1, 3, 22050, 8), chunk(b"data", pcm(t[:99], 8)))
    yield "mulaw_mono", riff(fmt(7, 1, 8000, 8), chunk(b"data", bytes(range(256))))
    yield "list_fact_around_fmt", riff(chunk(b"LIST", b"INFOISFT\x05\0\0\0abcde"),
                                       fmt(1, 1, 16000, 16), chunk(b"fact", b"\x10\0\0\0"),
                                       chunk(b"data", pcm(t[:16], 16)))
    yield "odd_chunk_padded", riff(fmt(1, 1, 16000, 16), chunk(b"LIST", b"abc"),
                                   chunk(b"data", pcm(t[:40], 16)))
    yield "odd_chunk_unpadded", riff(fmt(1, 1, 16000, 16), chunk(b"LIST", b"abc", pad=False),
                                     chunk(b"data", pcm(t[:50], 16)))
    yield "fmt_six_bytes", riff(chunk(b"fmt ", b"\x01\0\x02\0\0\0"),
                                chunk(b"data", pcm(t[:20], 16)))
    yield "fmt_extended", riff(chunk(b"fmt ", struct.pack("<HHIIHHH", 1, 1, 11025, 22050, 2, 16, 0)),
                               chunk(b"data", pcm(t[:20], 16)))
    yield "riff_size_wrong", riff(fmt(1, 1, 16000, 16), chunk(b"data", pcm(t[:10], 16)), size=0xFFFFFFFF)
    yield "data_beyond_file", riff(fmt(1, 1, 16000, 16), chunk(b"data", pcm(t[:10], 16), size=0xFFFFFFF0))
    yield "huge_chunk_before_fmt", riff(chunk(b"LIST", b"ab", size=0xFFFFFFFE), fmt(1, 1, 16000, 16))
    yield "huge_chunk_after_fmt", riff(fmt(1, 1, 16000, 16), chunk(b"junk", b"ab", size=0xFFFFFFFF))
    yield "float_format", riff(fmt(3, 1, 16000, 32), chunk(b"data", b"\0" * 16))
    yield "mulaw_16bit", riff(fmt(7, 1, 8000, 16), chunk(b"data", b"\0" * 16))
    yield "many_channels", riff(fmt(1, 21845, 8000, 24), chunk(b"data", b"\0" * 8))
    yield "too_many_channels", riff(fmt(1, 65535, 8000, 24), chunk(b"data", b"\0" * 8))
    yield "mulaw_widened_rate_too_big", riff(fmt(7, 32257, 73664, 8), chunk(b"data", b""))
    yield "rate_too_low", riff(fmt(1, 1, 999, 16), chunk(b"data", b"\0" * 8))
    yield "no_data", riff(fmt(1, 1, 16000, 16))
    yield "no_fmt", riff(chunk(b"data", b"\0" * 8))
    yield "truncated_header", riff(fmt(1, 1, 16000, 16))[:30]
    yield "not_wave", b"RIFF\x04\0\0\0AVI "
    yield "not_riff", b"RIFX" + riff(fmt(1, 1, 16000, 16))[4:]


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in seeds():
        assert len(data) < 2048, name
        with open(os.path.join(OUT, name + ".wav"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
