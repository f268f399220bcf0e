#!/usr/bin/env python3
# seeds.py: writes the committed seed inputs of both fuzz targets (run from anywhere).
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u8(v): return struct.pack('<B', v & 0xff)
def u16(v): return struct.pack('<H', v & 0xffff)
def i32(v): return struct.pack('<i', v)
def f32(v): return struct.pack('<f', v)


# commands_fuzzer operations
def frames(count, step10ms): return u8(0) + u8(count - 1) + u8(step10ms - 1)
def leap(seconds): return u8(1) + u16(int(seconds * 10))
def command(slot, access, *words):
    out = u8(2) + u8(slot) + i32(access) + u8(len(words))
    for w in words:
        w = w if isinstance(w, bytes) else w.encode()
        out += (u8(255) + u16(len(w))) if len(w) >= 255 else u8(len(w))
        out += w
    return out
def mapstart(): return u8(3)
def player(slot, kind): return u8(4) + u8(slot - 1) + u8(kind)


# host_fuzzer operations
def clock(t): return u8(0) + f32(t)
def hframes(count, step10ms): return u8(1) + u8(count - 1) + u8(step10ms - 1)
def back(seconds): return u8(2) + u16(int(seconds * 10))
def maxclients(index): return u8(3) + u8(index)
def tag(text): return u8(4) + u16(len(text)) + text
def nulltag(): return u8(5)
def answers(*values): return u8(6) + u8(len(values) - 1) + b''.join(i32(v) for v in values)
def slot(n, kind): return u8(7) + u8(n - 1) + u8(kind)
def cvar(maxspeed, value): return u8(8) + u8(1 if maxspeed else 0) + f32(value)
def hmap(): return u8(9)
def force(): return u8(10)
def nullargv(): return u8(11)
def same(count): return u8(12) + u8(count - 1)


COMMANDS = {
    'force_after_first_event': leap(300) + frames(200, 10) + command(1, 1, 'say', '!eventtest') + frames(100, 5),
    'letter_case': command(1, -1, 'SAY', '!EventTest') + frames(120, 1) + command(2, 7, 'Say', '!EVENTTEST'),
    'near_misses': command(1, 1, 'say_team', '!eventtest') + command(1, 1, 'say', '!eventtest2')
        + command(1, 1, 'say', b'!eventtest\0x') + command(1, 1, 'say'),
    'extra_words_and_no_access': command(1, 1, 'say', '!eventtest', 'and', 'more') + command(3, 0, 'say', '!eventtest'),
    'long_words': command(1, 1, 'say' * 1365, '!' * 4096) + command(0, 1, 'say', '!eventtest'),
    'many_words': command(5, 1, *(['say', '!eventtest'] + ['w%d' % i for i in range(13)])),
    'map_change_mid_event': leap(400) + frames(50, 10) + mapstart() + command(1, 1, 'say', '!eventtest')
        + frames(30, 5) + mapstart() + leap(420) + frames(255, 20),
    'players_come_and_go': player(1, 0) + command(1, 1, 'say', '!eventtest') + player(16, 1) + player(13, 2)
        + command(16, 1, 'say', '!eventtest') + frames(200, 1),
    'null_client': command(0, 1, 'say', '!eventtest') + command(17, 1, 'say', '!eventtest') + frames(150, 1),
}

HOST = {
    'nan_clock': clock(float('nan')) + hframes(10, 1) + clock(350.0) + hframes(200, 10),
    'infinite_clock': clock(float('inf')) + same(4) + clock(-float('inf')) + clock(310.0) + hframes(100, 10),
    'negative_clock': clock(-5.0) + hframes(50, 100) + clock(-1e30) + force() + hframes(10, 10),
    'backwards_jumps': clock(330.0) + hframes(20, 10) + back(200) + hframes(255, 100) + back(6000) + hframes(255, 100),
    'huge_clock': clock(3e9) + same(8) + force() + same(4),
    'no_players': maxclients(0) + force() + maxclients(1) + force() + maxclients(2) + force(),
    'sixty_four_players': maxclients(6) + slot(64, 1) + slot(40, 2) + force() + clock(420.0) + hframes(255, 50),
    'long_tag': tag(b'T' * 4096) + force() + tag(b'%s%n%x' * 100) + force() + nulltag() + force(),
    'random_out_of_bounds': answers(2**31 - 1, -2**31, 7, 0, -1, 421, 299, 256) + clock(500.0) + hframes(255, 30)
        + answers(1000, -1000, 9999) + force() + hframes(255, 30),
    'null_entities': b''.join(slot(n, 0) for n in range(1, 17)) + force() + slot(3, 2) + force() + hframes(200, 10),
    'hostile_cvars': cvar(False, float('nan')) + cvar(True, float('inf')) + clock(300.0) + answers(1)
        + hframes(255, 10) + cvar(True, -0.0) + clock(900.0) + answers(6) + hframes(255, 10),
    'map_start_on_wild_clock': clock(float('nan')) + hmap() + clock(0.0) + hframes(255, 100) + hframes(200, 100),
    'null_argv': nullargv() + force() + nullargv() + force(),
}

for name, table in (('commands', COMMANDS), ('host', HOST)):
    folder = os.path.join(HERE, 'corpus', name)
    os.makedirs(folder, exist_ok=True)
    for seed, data in table.items():
        with open(os.path.join(folder, seed), 'wb') as f:
            f.write(data)
