#!/bin/sh
# Makes the signed programs the publisher-check tests use, in OUT (made anew):
# two test publishers' keys and self-signed certificates (openssl, in a
# temporary folder removed afterwards), then with osslsigncode
#   ORVUpdate.exe            PROGRAM signed by publisher A
#   installer_unsigned.exe   INSTALLER as built
#   installer_signed.exe     signed by A (SHA-256)
#   installer_signed_sha1.exe signed by A with SHA-1
#   installer_signed_sha384.exe signed by A with SHA-384
#   ORVUpdate_sha512.exe     PROGRAM signed by A with SHA-512
#   ORVUpdate_trailing.exe   PROGRAM signed by A, with bytes after its certificate table
#   installer_other.exe      signed by B
#   installer_old_version.exe signed by A, its file version 0.0.0.1
#   installer_no_version.exe signed by A, without a version resource
#   installer_second_entry.exe signed by A, then an unsigned second certificate entry
#   installer_entry_padding.exe signed by A, then unsigned bytes inside its entry
#   installer_section_tail.exe signed by A, its table in the last section's file-aligned tail
#   installer_tampered.exe   signed by A, then one byte of its image changed
#   installer_truncated.exe  signed by A, its signature cut short
#   installer_past_end.exe   signed by A, its certificate table said to reach past the end
# and publisher_b.key: the SHA-256 of B's SubjectPublicKeyInfo in hex.
# Installers state file version 1.0.0.2, the version the dev server offers.
# A PROGRAM or INSTALLER that is no PE file (a native build) is replaced by a
# minimal PE image with that version resource.
# Usage: sign_fixtures.sh OUT PROGRAM INSTALLER
set -eu
out=$1 program=$2 installer=$3
keys=$(mktemp -d "${TMPDIR:-/tmp}/orv-sign.XXXXXX")
trap 'rm -rf "$keys"' EXIT
rm -rf "$out"
mkdir -p "$out"

# A PE32 image of headers, a code section and a resource section holding a
# version resource of file version 1.0.0.2, when the input is no PE file.
pe_or_minimal() {
    if [ "$(head -c 2 "$1")" = "MZ" ]; then cp "$1" "$2"; return; fi
    python3 - "$2" <<'PY'
import struct, sys
pe = 0x40
key = "VS_VERSION_INFO\0".encode("utf-16-le")
fixed = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x10000, 0x2, 0x10000, 0x2, 0x3F, 0, 4, 1, 0, 0, 0)
block = struct.pack("<HHH", 6 + len(key) + 2 + len(fixed), len(fixed), 0) + key + b"\0\0" + fixed
def directory(id_, target):
    return struct.pack("<IIHHHH", 0, 0, 0, 0, 0, 1) + struct.pack("<II", id_, target)
rsrc = directory(16, 0x80000018) + directory(1, 0x80000030) + directory(0x409, 0x48)
rsrc += struct.pack("<IIII", 0x2000 + 0x58, len(block), 0, 0) + block
directories = b"\0" * 16 + struct.pack("<II", 0x2000, len(rsrc)) + b"\0" * 104
optional = struct.pack("<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII", 0x10b, 1, 0, 0x200, 0x200, 0, 0x1000, 0x1000, 0x2000,
                       0x400000, 0x1000, 0x200, 4, 0, 0, 0, 4, 0, 0, 0x3000, 0x200, 0, 3, 0, 0x100000,
                       0x1000, 0x100000, 0x1000, 0, 16) + directories
coff = struct.pack("<HHIIIHH", 0x14c, 2, 0, 0, 0, len(optional), 0x0102)
text = struct.pack("<8sIIIIIIHHI", b".text", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
resources = struct.pack("<8sIIIIIIHHI", b".rsrc", len(rsrc), 0x2000, 0x200, 0x400, 0, 0, 0, 0, 0x40000040)
head = b"MZ" + b"\0" * 58 + struct.pack("<I", pe)
head += b"PE\0\0" + coff + optional + text + resources
image = head.ljust(0x200, b"\0") + (b"\xc3" + bytes(range(256))).ljust(0x200, b"\0") + rsrc.ljust(0x200, b"\0")
open(sys.argv[1], "wb").write(image)
PY
}

for who in a b; do
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/$who.key" -out "$keys/$who.crt" \
        -subj "/CN=Orvane test publisher $who" -days 2 >/dev/null 2>&1
done
openssl x509 -in "$keys/b.crt" -pubkey -noout | openssl pkey -pubin -outform DER \
    | openssl dgst -sha256 -r | cut -d' ' -f1 > "$out/publisher_b.key"

sign() {  # sign WHO HASH IN OUT
    osslsigncode sign -certs "$keys/$1.crt" -key "$keys/$1.key" -h "$2" -in "$3" -out "$4" >/dev/null
}
pe_or_minimal "$program" "$keys/program.exe"
pe_or_minimal "$installer" "$out/installer_unsigned.exe"
sign a sha256 "$keys/program.exe" "$out/ORVUpdate.exe"
sign a sha256 "$out/installer_unsigned.exe" "$out/installer_signed.exe"
sign a sha1 "$out/installer_unsigned.exe" "$out/installer_signed_sha1.exe"
sign a sha384 "$out/installer_unsigned.exe" "$out/installer_signed_sha384.exe"
sign a sha512 "$keys/program.exe" "$out/ORVUpdate_sha512.exe"
sign b sha256 "$out/installer_unsigned.exe" "$out/installer_other.exe"

# Unsigned variants, changed before signing: another file version, none, and
# the last section cut to end 256 bytes before its file-aligned end, so that
# the signature is appended inside what the loader maps.
python3 - "$out/installer_unsigned.exe" "$keys" <<'PY'
import struct, sys
image, keys = open(sys.argv[1], "rb").read(), sys.argv[2]
pe = struct.unpack_from("<I", image, 0x3C)[0]
magic = struct.unpack_from("<H", image, pe + 24)[0]
directories = pe + 24 + (96 if magic == 0x10b else 112)
old = bytearray(image)
fixed = old.find(struct.pack("<I", 0xFEEF04BD))
assert fixed > 0, "the installer has no version resource"
struct.pack_into("<II", old, fixed + 8, 0, 1)
open(keys + "/old_version.exe", "wb").write(old)
none = bytearray(image)
struct.pack_into("<II", none, directories + 2 * 8, 0, 0)
open(keys + "/no_version.exe", "wb").write(none)
sections = pe + 24 + struct.unpack_from("<H", image, pe + 20)[0]
last = sections + 40 * (struct.unpack_from("<H", image, pe + 6)[0] - 1)
raw_size, raw_at = struct.unpack_from("<II", image, last + 16)
tail = bytearray(image[:raw_at + raw_size - 256])
struct.pack_into("<I", tail, last + 16, raw_size - 256)
open(keys + "/section_tail.exe", "wb").write(tail)
PY
sign a sha256 "$keys/old_version.exe" "$out/installer_old_version.exe"
sign a sha256 "$keys/no_version.exe" "$out/installer_no_version.exe"
sign a sha256 "$keys/section_tail.exe" "$out/installer_section_tail.exe"

python3 - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
signed = bytearray(open(out + "/installer_signed.exe", "rb").read())
pe = struct.unpack_from("<I", signed, 0x3C)[0]
magic = struct.unpack_from("<H", signed, pe + 24)[0]
entry = pe + 24 + (96 if magic == 0x10b else 112) + 4 * 8
offset, size = struct.unpack_from("<II", signed, entry)
def save(name, data):
    open(out + "/" + name, "wb").write(bytes(data))
tampered = bytearray(signed)
tampered[0x4E] ^= 0x01  # in the DOS stub: the image changes, the program runs the same
save("installer_tampered.exe", tampered)
# The signature ends 64 bytes early; table and entry agree on the shorter size.
cut = 64
truncated = bytearray(signed[:len(signed) - cut])
struct.pack_into("<I", truncated, entry + 4, size - cut)
struct.pack_into("<I", truncated, offset, struct.unpack_from("<I", signed, offset)[0] - cut)
save("installer_truncated.exe", truncated)
past = bytearray(signed)
struct.pack_into("<I", past, entry + 4, size + 4096)
save("installer_past_end.exe", past)
# What a self-extracting installer that reads its payload from the file's
# end would run: a second, unsigned entry after ours, or unsigned bytes
# inside our entry with its length grown to cover them.
payload = b"payload=EVIL".ljust(64, b"\0")
second = bytearray(signed) + struct.pack("<IHH", 8 + len(payload), 0x0200, 0x0002) + payload
struct.pack_into("<I", second, entry + 4, size + 8 + len(payload))
save("installer_second_entry.exe", second)
padded = bytearray(signed) + payload
struct.pack_into("<I", padded, entry + 4, size + len(payload))
struct.pack_into("<I", padded, offset, struct.unpack_from("<I", signed, offset)[0] + len(payload))
save("installer_entry_padding.exe", padded)
program = open(out + "/ORVUpdate.exe", "rb").read()
save("ORVUpdate_trailing.exe", program + b"\0" * 8)
PY
