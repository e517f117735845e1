#!/bin/sh
# Makes the signed programs the publisher-check tests use, in OUT (made anew):
# two test publishers' keys and self-signed certificates (openssl, in a
# temporary folder removed afterwards), then with osslsigncode
#   ORVUpdate.exe            PROGRAM signed by publisher A
#   installer_unsigned.exe   INSTALLER as built
#   installer_signed.exe     signed by A (SHA-256)
#   installer_signed_sha1.exe signed by A with SHA-1
#   installer_other.exe      signed by B
#   installer_tampered.exe   signed by A, then one byte of its image changed
#   installer_truncated.exe  signed by A, its signature cut short
#   installer_past_end.exe   signed by A, its certificate table said to reach past the end
# and publisher_b.key: the SHA-256 of B's SubjectPublicKeyInfo in hex.
# A PROGRAM or INSTALLER that is no PE file (a native build) is replaced by a
# minimal PE image.
# Usage: sign_fixtures.sh OUT PROGRAM INSTALLER
set -eu
out=$1 program=$2 installer=$3
keys=$(mktemp -d "${TMPDIR:-/tmp}/orv-sign.XXXXXX")
trap 'rm -rf "$keys"' EXIT
rm -rf "$out"
mkdir -p "$out"

# A PE32 image of headers and one section, when the input is no PE file.
pe_or_minimal() {
    if [ "$(head -c 2 "$1")" = "MZ" ]; then cp "$1" "$2"; return; fi
    python3 - "$2" <<'PY'
import struct, sys
pe = 0x40
optional = struct.pack("<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII", 0x10b, 1, 0, 0x200, 0, 0, 0x1000, 0x1000, 0x2000,
                       0x400000, 0x1000, 0x200, 4, 0, 0, 0, 4, 0, 0, 0x2000, 0x200, 0, 3, 0, 0x100000,
                       0x1000, 0x100000, 0x1000, 0, 16) + b"\0" * 128
coff = struct.pack("<HHIIIHH", 0x14c, 1, 0, 0, 0, len(optional), 0x0102)
section = struct.pack("<8sIIIIIIHHI", b".text", 0x200, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)
head = b"MZ" + b"\0" * 58 + struct.pack("<I", pe)
head += b"PE\0\0" + coff + optional + section
image = head.ljust(0x200, b"\0") + b"\xc3" + bytes(range(256)) * 1 + b"\0" * 0xff
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
sign b sha256 "$out/installer_unsigned.exe" "$out/installer_other.exe"

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
PY
