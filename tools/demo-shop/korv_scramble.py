"""The program's reversible text scrambling, as the shop's servers write it.

The same routine as src/text/scramble.cpp: UTF-8 bytes with a 24-bit FNV-1a check value,
mixed with a seeded key table and written in a 64-character URL-safe alphabet after a "*".
"""

ALPHABET = "kumFY3t4RTavbqiwl21QyDsHECX9SOrWM7-NohKZUJVp5ABfcnG6LxgI0ed_zj8P"
CHECK_BYTES = 3


def _key_table():
    table = list(range(256))
    seed = 0x4B6F7276
    for i in range(255, 0, -1):
        seed = (seed * 1664525 + 1013904223) & 0xFFFFFFFF
        j = (seed >> 8) % (i + 1)
        table[i], table[j] = table[j], table[i]
    return table


KEY_TABLE = _key_table()


def _check_value(data):
    value = 2166136261
    for b in data:
        value ^= b
        value = (value * 16777619) & 0xFFFFFFFF
    return value & 0xFFFFFF


def _mix(data, forward):
    out = bytearray(len(data))
    state = 0x5A
    for i, b in enumerate(data):
        key = KEY_TABLE[(state + i * 31) & 0xFF]
        byte = b ^ key
        out[i] = byte
        scrambled = byte if forward else b
        state = (state + scrambled * 7 + 1) & 0xFF
    return bytes(out)


def scramble(plain):
    data = plain.encode("utf-8")
    check = _check_value(data)
    data += bytes((check >> (8 * i)) & 0xFF for i in range(CHECK_BYTES))
    mixed = _mix(data, True)
    out = ["*"]
    bits = 0
    count = 0
    for b in mixed:
        bits = ((bits << 8) | b) & 0xFFFFFFFF
        count += 8
        while count >= 6:
            count -= 6
            out.append(ALPHABET[(bits >> count) & 0x3F])
    if count > 0:
        out.append(ALPHABET[(bits << (6 - count)) & 0x3F])
    return "".join(out)


def unscramble(text):
    """The plain text, or None when text was not made by scramble()."""
    if not text.startswith("*") or (len(text) - 1) % 4 == 1:
        return None
    mixed = bytearray()
    bits = 0
    count = 0
    for c in text[1:]:
        index = ALPHABET.find(c)
        if index < 0:
            return None
        bits = ((bits << 6) | index) & 0xFFFFFFFF
        count += 6
        if count >= 8:
            count -= 8
            mixed.append((bits >> count) & 0xFF)
    if bits & ((1 << count) - 1) or len(mixed) < CHECK_BYTES:
        return None
    data = _mix(bytes(mixed), False)
    body, tail = data[:-CHECK_BYTES], data[-CHECK_BYTES:]
    check = sum(tail[i] << (8 * i) for i in range(CHECK_BYTES))
    if check != _check_value(body):
        return None
    try:
        return body.decode("utf-8")
    except UnicodeDecodeError:
        return None
