#!/usr/bin/env python3
"""Points a PE executable's load configuration entry at its load
configuration structure.

GNU ld (before 2.42) leaves the load configuration entry of the data
directories empty even when the program defines the structure, so the system
never reads it. This finds the structure through the executable's own symbol
table ("_load_config_used", "__load_config_used" on x86) and fills the entry:
its address and the size the structure states in its first field.

    pe_load_config.py <executable>
"""
import struct
import sys

LOAD_CONFIG_ENTRY = 10


def fail(message):
    sys.exit(f"pe_load_config: {message}")


def main(path):
    with open(path, "rb") as f:
        image = bytearray(f.read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail(f"{path} is not a PE file")
    _, sections, _, symbols_at, symbol_count, optional_size, _ = struct.unpack_from("<HHIIIHH", image, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    name = b"_load_config_used" if magic == 0x20B else b"__load_config_used"
    if symbols_at == 0:
        fail(f"{path} has no symbol table to find {name.decode()} in")
    strings_at = symbols_at + symbol_count * 18

    def symbol_name(at):
        raw = image[at:at + 8]
        if raw[:4] == b"\0\0\0\0":
            start = strings_at + struct.unpack_from("<I", raw, 4)[0]
            return bytes(image[start:image.index(b"\0", start)])
        return bytes(raw.rstrip(b"\0"))

    section_table = optional + optional_size
    index = 0
    while index < symbol_count:
        at = symbols_at + index * 18
        value, section, _, _, aux = struct.unpack_from("<IhHBB", image, at + 8)
        if section > 0 and symbol_name(at) == name:
            header = section_table + (section - 1) * 40
            virtual_address, _, raw_offset = struct.unpack_from("<III", image, header + 12)
            size = struct.unpack_from("<I", image, raw_offset + value)[0]
            struct.pack_into("<II", image, directories + LOAD_CONFIG_ENTRY * 8, virtual_address + value, size)
            with open(path, "r+b") as f:
                f.write(image)
            return
        index += 1 + aux
    fail(f"{path} defines no {name.decode()}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
