#!/usr/bin/python3
"""The distributor's signing tool: Ed25519 keys, signed release manifests, signed shop data.

  sign-release.py keygen --out DIR [--name NAME]
      makes NAME-private.pem (mode 0600; keep it off every server) and NAME-public.pem in DIR
      and prints the public key as one line (for servers.ini "ShopDataKey=")
  sign-release.py public-key PUBLIC.pem
      prints a public key file as that one line
  sign-release.py release --key PRIVATE.pem --version 1.01 --build 2026.12.09.01 PROGRAM
      writes PROGRAM.manifest (name, version, build stamp, size, SHA-256) and its signature
      PROGRAM.manifest.sig; put all three in the update folder (servers.ini "UpdateURL=")
  sign-release.py shop-data --key PRIVATE.pem HostFmt.ini
      writes the signature HostFmt.ini.sig (read by clients before the shop envelope)
  sign-release.py shop-envelope --key PRIVATE.pem --shop 1234 --serial 7 --expires 2027-12-31
                  [--issued DATE] [--alias NAME ...] [--extra NAME=PATH ...] SHOPFOLDER
      writes SHOPFOLDER/ShopEnvelope.ini and its signature ShopEnvelope.ini.sig: the shop id,
      the serial (raise it with every change: clients refuse one below the last they saw), the
      issue and expiry dates, the aliases that lead to the shop, and the SHA-256 of every file
      under SHOPFOLDER (HostFmt.ini, the switch files, Plates/...) and of each --extra file
      (the campus lists: --extra Campus/master.ini=/srv/campus/shop.1234/master.ini)

The client is built with the public key of releases (CMake option KORVATEL_RELEASE_KEYS, a PEM
file) and takes the one of shop data from servers.ini. A signature file holds the base64 text of
the 64-byte Ed25519 signature on one line.

Needs Debian's python3-cryptography; run it with /usr/bin/python3.
"""

import argparse
import base64
import datetime
import hashlib
import os
import re
import sys

from cryptography.hazmat.primitives import serialization
from cryptography.hazmat.primitives.asymmetric.ed25519 import Ed25519PrivateKey

NAME = re.compile(r"^[A-Za-z0-9._-]{1,64}$")
VERSION = re.compile(r"^[\x21-\x7e]{1,32}$")


def public_key_line(public_key):
    der = public_key.public_bytes(serialization.Encoding.DER,
                                  serialization.PublicFormat.SubjectPublicKeyInfo)
    return base64.b64encode(der).decode("ascii")


def load_private(path):
    with open(path, "rb") as f:
        key = serialization.load_pem_private_key(f.read(), password=None)
    if not isinstance(key, Ed25519PrivateKey):
        raise SystemExit("%s: not an Ed25519 private key" % path)
    return key


def signature_text(key, data):
    return base64.b64encode(key.sign(data)) + b"\r\n"


def write_file(path, data, mode=0o644):
    part = path + ".part"
    fd = os.open(part, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)
    with os.fdopen(fd, "wb") as f:
        f.write(data)
    os.replace(part, path)


def manifest_text(program, name, version, build):
    digest = hashlib.sha256()
    size = 0
    with open(program, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            digest.update(chunk)
            size += len(chunk)
    lines = ["Name=" + name, "Version=" + version, "Build=" + build, "Size=%d" % size,
             "SHA256=" + digest.hexdigest()]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def sign_release(key, program, version, build, name=None):
    """Writes program.manifest and program.manifest.sig; returns the manifest's path."""
    name = name or os.path.basename(program)
    if not NAME.match(name) or name in (".", ".."):
        raise SystemExit("program name %r: use letters, figures, '.', '_' and '-'" % name)
    for label, value in (("version", version), ("build", build)):
        if not VERSION.match(value):
            raise SystemExit("%s %r: printable ASCII without blanks, 32 characters at most"
                             % (label, value))
    text = manifest_text(program, name, version, build)
    manifest = program + ".manifest"
    write_file(manifest, text)
    write_file(manifest + ".sig", signature_text(key, text))
    return manifest


def sign_file(key, path):
    with open(path, "rb") as f:
        data = f.read()
    write_file(path + ".sig", signature_text(key, data))


ENVELOPE = "ShopEnvelope.ini"
ENVELOPE_PATH = re.compile(r"^[A-Za-z0-9_.-]{1,64}(/[A-Za-z0-9_.-]{1,64}){0,3}$")


def file_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            digest.update(chunk)
    return digest.hexdigest()


def envelope_text(shop, serial, issued, expires, aliases, files):
    """files: (name, sha256 hex) pairs, name relative to the shop's folder."""
    lines = ["Shop=" + shop, "Serial=%d" % serial, "Issued=" + issued, "Expires=" + expires]
    lines += ["Alias=" + alias for alias in aliases]
    lines += ["File=%s %s" % (digest, name) for name, digest in sorted(files)]
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def sign_shop_envelope(key, folder, shop, serial, expires, issued=None, aliases=(), extra=()):
    """Writes folder/ShopEnvelope.ini and its signature over every file below folder and the
    extra (name, path) pairs; returns the envelope's path."""
    if not re.match(r"^[0-9]{1,16}$", shop):
        raise SystemExit("shop id %r: one to sixteen figures" % shop)
    issued = issued or datetime.date.today().isoformat()
    files = []
    for base, dirs, names in os.walk(folder):
        dirs.sort()
        for name in names:
            path = os.path.join(base, name)
            rel = os.path.relpath(path, folder).replace(os.sep, "/")
            if rel in (ENVELOPE, ENVELOPE + ".sig") or rel.endswith(".sig") \
                    or rel.endswith(".part") or not ENVELOPE_PATH.match(rel):
                continue
            files.append((rel, file_sha256(path)))
    for name, path in extra:
        if not ENVELOPE_PATH.match(name) or ".." in name.split("/"):
            raise SystemExit("envelope name %r: letters, figures, '.', '_', '-' and '/'" % name)
        files.append((name, file_sha256(path)))
    text = envelope_text(shop, serial, issued, expires, aliases, files)
    envelope = os.path.join(folder, ENVELOPE)
    write_file(envelope, text)
    write_file(envelope + ".sig", signature_text(key, text))
    return envelope


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    keygen = commands.add_parser("keygen", help="make a key pair")
    keygen.add_argument("--out", required=True)
    keygen.add_argument("--name", default="korvatel-signing")
    public = commands.add_parser("public-key", help="print a public key as one line")
    public.add_argument("public_pem")
    release = commands.add_parser("release", help="sign a release")
    release.add_argument("--key", required=True)
    release.add_argument("--version", required=True)
    release.add_argument("--build", required=True)
    release.add_argument("--name", help="the program's name (default: its file name)")
    release.add_argument("program")
    shop = commands.add_parser("shop-data", help="sign a shop data file")
    shop.add_argument("--key", required=True)
    shop.add_argument("file")
    envelope = commands.add_parser("shop-envelope", help="sign a shop's envelope")
    envelope.add_argument("--key", required=True)
    envelope.add_argument("--shop", required=True)
    envelope.add_argument("--serial", required=True, type=int)
    envelope.add_argument("--expires", required=True)
    envelope.add_argument("--issued")
    envelope.add_argument("--alias", action="append", default=[])
    envelope.add_argument("--extra", action="append", default=[])
    envelope.add_argument("folder")
    args = parser.parse_args()

    if args.command == "keygen":
        os.makedirs(args.out, exist_ok=True)
        key = Ed25519PrivateKey.generate()
        private = os.path.join(args.out, args.name + "-private.pem")
        if os.path.exists(private):
            raise SystemExit("%s exists: not overwritten" % private)
        write_file(private, key.private_bytes(serialization.Encoding.PEM,
                                              serialization.PrivateFormat.PKCS8,
                                              serialization.NoEncryption()), 0o600)
        write_file(os.path.join(args.out, args.name + "-public.pem"),
                   key.public_key().public_bytes(serialization.Encoding.PEM,
                                                 serialization.PublicFormat.SubjectPublicKeyInfo))
        print(public_key_line(key.public_key()))
    elif args.command == "public-key":
        with open(args.public_pem, "rb") as f:
            print(public_key_line(serialization.load_pem_public_key(f.read())))
    elif args.command == "release":
        print(sign_release(load_private(args.key), args.program, args.version, args.build,
                           args.name))
    elif args.command == "shop-data":
        sign_file(load_private(args.key), args.file)
        print(args.file + ".sig")
    elif args.command == "shop-envelope":
        extra = [tuple(item.split("=", 1)) for item in args.extra]
        print(sign_shop_envelope(load_private(args.key), args.folder, args.shop, args.serial,
                                 args.expires, args.issued, args.alias, extra))
    return 0


if __name__ == "__main__":
    sys.exit(main())
