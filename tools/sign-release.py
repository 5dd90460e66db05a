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
      writes the signature HostFmt.ini.sig; serve it beside the shop data

The client is built with the public key of releases (CMake option KORVATEL_RELEASE_KEYS, a PEM
file) and takes the one of shop data from servers.ini. A signature file holds the base64 text of
the 64-byte Ed25519 signature on one line.

Needs Debian's python3-cryptography; run it with /usr/bin/python3.
"""

import argparse
import base64
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
    return 0


if __name__ == "__main__":
    sys.exit(main())
