#!/usr/bin/python3
"""The local demo shop: every server the client talks to, on 127.0.0.1 ports of its choosing.

  primary and secondary format servers   shop "1234" (HostFmt.ini, switch files, an alias,
                                         the signed envelope ShopEnvelope.ini over them,
                                         the plates and the campus lists)
  service server                         GetTime.php, the version files, the hosted scripts
                                         (text file, find file, HTTP upload, finishing), the
                                         member authentication page, the campus files,
                                         the test card-payment service under /card
  FTP image server (pyftpdlib)           the shop's account; file names kept byte for byte;
                                         phone pictures go to /keitai/<folder>/, the phone
                                         model table lies in /keitai-table/Keitai.ini
  phone pages                            GET /keitai/<folder>/… on the service server (the
                                         KeitaiURL of the shop data) answers the phone pictures;
                                         a folder answers its index.html
  FTPS image server                      the same files and account, TLS required throughout
  SMTP server (aiosmtpd)                 AUTH LOGIN with the shop's account; every mail is kept
                                         as <root>/mail/NNNN.eml; recipients whose address
                                         starts with "refuse" are refused (550)
  SMTP server with STARTTLS              the same, offering STARTTLS and AUTH only after it
                                         (StarttlsPort in the state file)
  receiver                               checks every order whose status file reads "Complite"
                                         (again when a changed order completes again); a
                                         card order's N/N.dpo is checked key by key, with its
                                         pictures
  card prices                            Plates/CardPrice.ini beside the shop's plates
  registrations                          POST /MacUp.php on the HTTPS service server
                                         (RegistrationURL): the client's daily registration
                                         report, one line each in <root>/registrations.txt and
                                         "report: received <MachineID>" in the log; over plain
                                         HTTP it is refused unread ("report: refused plain
                                         http")

The format servers and the service server also listen with TLS (a certificate for 127.0.0.1 made
at start, in <root>/tls/cert.pem): servers.ini names the HTTPS format servers, the HTTPS update
folder of the signed demo program, the certificate as the CA file and the demo key that the shop's
envelope and the program's manifest are signed with. The demo key pair lies beside
this script (demo-only-private-key.pem: for this demo only, never for a real shop).

It writes the client's server configuration (servers.ini) and a state file with the ports and
folders, prints "READY" on standard output and serves until it is killed.

Faults for tests, switched at run time through the service server
(GET /_demo/control?name=value&...):
  ftp_drop_after=N   drop the FTP connection once N bytes of an upload have arrived
  ftp_drop_files=K   let K more files (status files "Sending" not counted) arrive whole, then
                     drop the connection when the next one is stored; once, then back to normal
  ftp_stall=1        stop reading and sending on FTP data connections
  ftp_wrong_size=1   answer SIZE with one byte more than the file has
  time=TEXT          the time that GetTime.php answers ("yyyy/mm/dd hh:nn:ss"); empty: now
  versions=TEXT      the VersionsInformation value of Versions.ini
  shop_stop=1        the upload script answers "SHOP-STOP"
  http_drop_piece=N  the next post of piece N of a split upload is read and thrown away, and
                     the connection closed without an answer; once, then back to normal
  http_lose_piece=N  every post of piece N of a split upload is thrown away (the answer says
                     the piece is still missing)
  card_decline=1     the card service declines every payment
  answer_delay=MS    the service server waits MS milliseconds before each answer (the control
                     requests excepted): a slow server for the client's busy boxes
  keitai_refuse=1    the FTP server refuses (550) every file stored under the phone folder
  envelope_expires=DATE  signs the shop's envelopes again, expiring on DATE (yyyy-mm-dd)
  reset=1            all faults off
GET /_demo/flood?size=N[&length=0][&delay=MS] answers N bytes of line breaks (a flood for the
client's answer caps and timeouts); length=0 sends no Content-Length.
GET /_demo/redirect?to=URL answers with a redirect to URL.
The upload script (POST /tamsel_php/korv_upload.php, multipart fields "dir" and "file") takes
a large file in pieces: with "part" (1-based), "parts", "size" and "sha256" (lower-case hex of
the whole file) it keeps the piece and answers "NEXT n" with the first piece still missing, or,
once every piece is in, joins them, checks the size and checksum and answers "OK" (the file
then takes its place) or "NG-FILE" (all pieces are dropped). The receiver checks a joined file's
checksum again.

Start-time faults: --refuse primary,secondary,service,ftp,smtp,starttls (nothing listens there).

The test card-payment service (CardURL in servers.ini, over HTTPS) charges a test card that
always pays unless card_decline is set. Requests are POST forms (fields in the address are read
too, as an older client sends them). Every answer starts with "OK" or "NG" and a reason:
  /card/register.php              registers the test card: "OK" and "Token=HEX", a new secret
  /card/pay.php (id, amount)      pays the order: "OK"
  /card/bundle.php (id, lines)    registers a bundle of card orders: "OK"
  /card/release.php (id)          releases a registered, unpaid bundle: "OK"
  /card/number.php                "OK" and "Number=N", a new number each time
  /card/status.php (id=ID,ID,...) "OK" and "ID=3" for each order of the token that is paid
  /card/settings.php              a page that says where the test card is kept
Every script but register.php and settings.php needs the field "token" of a registered card;
without it the request is refused ("NG") and logged ("card: refused ..."). An order or bundle
belongs to the token that paid or registered it: another token can neither pay, release nor
ask about it. Payments are written to card-ledger.txt in the root ("PAID id amount").

Run it with /usr/bin/python3 (Debian's python3-pyftpdlib and python3-aiosmtpd).
"""

import argparse
import datetime
import hashlib
import http.server
import importlib.util
import ipaddress
import logging
import os
import re
import secrets
import shutil
import socket
import ssl
import sys
import threading
import time
import urllib.parse
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import make_plates  # noqa: E402
import shop_data  # noqa: E402
from korv_scramble import unscramble  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO_PRIVATE_KEY = os.path.join(HERE, "demo-only-private-key.pem")
# The serial of the envelopes the demo shop signs (tests keep a higher one to see it refused).
ENVELOPE_SERIAL = 5
DEMO_PUBLIC_KEY = os.path.join(HERE, "demo-public-key.pem")


def signing_tool():
    """tools/sign-release.py, the distributor's signing tool, as a module."""
    found = importlib.util.spec_from_file_location(
        "sign_release", os.path.join(HERE, "..", "sign-release.py"))
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module

FAULTS = {}
FAULT_LOCK = threading.Lock()
DEFAULT_FAULTS = {"answer_delay": None, "ftp_drop_after": None, "ftp_drop_files": None,
                  "ftp_stall": False, "ftp_wrong_size": False,
                  "time": "", "versions": "TRUE", "shop_stop": False, "card_decline": False,
                  "http_drop_piece": None, "http_lose_piece": None, "keitai_refuse": False}

# The longest request body the service server reads, and the most a piece of a split upload may
# hold; larger requests are refused unread.
MAX_POST = 64 * 1024 * 1024
MAX_PIECE = 16 * 1024 * 1024
MAX_PIECES = 4096
SHA256_HEX = re.compile(r"^[0-9a-f]{64}$")

CARD_ID = re.compile(r"^(\(P\))?[0-9A-Za-z_]{1,64}$")


# The card price file beside the plates: the template descriptions (title, code in brackets and
# the number of user pictures, separated by two and three tabs; a code that is not all upper case
# takes the second price set) and the two price sets.
CARD_PRICES = "\r\n".join([
    "[Template]",
    "xmas.ksp=クリスマスカード\t\t[XMAS]\t\t\t2",
    "newyear.ksp=年賀状\t\t[Nenga]\t\t\t1",
    "frame.ksp=フォトフレーム\t\t[FRAME]\t\t\t1",
    "[Price1]",
    "Charge=500",
    "Paper=普通紙:1=120;20=100;50=80",
    "Paper=光沢紙:1=150;20=130",
    "Paper=和紙:",
    "Trans=宅配便:800-1200",
    "Trans=宅配(代引):800-1200",
    "Trans=店頭受取:0",
    "Pay=銀振･郵振:0",
    "Pay=クレジット:注文不可",
    "Pay=コンビニ票:150",
    "Pay=代引(宅配):315",
    "Pay=店頭にて:0",
    "FreeTrans=送料無料(5000円以上):5000",
    "ConbiniLimit=30000",
    "MinAmount=100",
    "MaxAmount=300000",
    "[Price2]",
    "Charge=0",
    "Paper=年賀はがき:1=90;50=70",
    "Trans=宅配便:600",
    "Trans=店頭受取:0",
    "Pay=銀振･郵振:0",
    "Pay=店頭にて:0",
    "ConbiniLimit=30000",
]) + "\r\n"


def card_order_problems(folder, name):
    """Checks a card order folder: the order file N/N.dpo names the order, has its keys in their
    groups, a number of cards, the six OTHER_ keys and every picture of its IMG lines."""
    dpo = os.path.join(folder, name + b".dpo")
    if not os.path.isfile(dpo):
        return None
    with open(dpo, "rb") as f:
        lines = f.read().decode("cp932", "replace").split("\r\n")
    values = {}
    pictures = []
    for line in lines:
        if line.startswith("IMG[") and "]_" in line and "=" not in line:
            pictures.append(line)
        elif "=" in line:
            values.setdefault(line.split("=", 1)[0], line.split("=", 1)[1])
    verdict = []
    if values.get("ORDER_NO") != os.fsdecode(name):
        verdict.append("NG card ORDER_NO %r" % values.get("ORDER_NO"))
    for key in ("SHOP", "NAME", "TEL", "CARD_NAME", "PAPER", "TRANS", "PAY_TYPE", "TOTAL_VALUE",
                "OTHER_SEND", "OTHER_NAME", "OTHER_ZIP", "OTHER_PREF", "OTHER_ADRS", "OTHER_MAIL",
                "OTHER_TEL", "SENDER_TXT", "LAST_CMNT"):
        if key not in values:
            verdict.append("NG card key %s missing" % key)
    if not values.get("NUM", "").isdigit() or int(values.get("NUM", "0")) < 1:
        verdict.append("NG card NUM %r" % values.get("NUM"))
    for picture in pictures:
        if not os.path.isfile(os.path.join(folder, picture.encode("cp932"))):
            verdict.append("NG card picture %s missing" % picture)
    if not verdict:
        verdict.append("CARD %s NUM=%s IMG=%d" % (values.get("CARD_NAME"), values.get("NUM"),
                                                  len(pictures)))
    return verdict


def reset_faults():
    with FAULT_LOCK:
        FAULTS.clear()
        FAULTS.update(DEFAULT_FAULTS)


def fault(name):
    with FAULT_LOCK:
        return FAULTS.get(name)


def sjis(text):
    return text.encode("cp932", "replace")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def closed_port(shop):
    """A port where nothing listens, held for the shop's life: the socket is bound but never
    listens, so a connection to it is refused, and no other program (another test's shop) can
    start a server there meanwhile."""
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    shop.held_sockets.append(s)
    return s.getsockname()[1]


def write_sjis(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(sjis(text))


def write_atomic(path, chunks):
    """Writes the chunks into a file beside path and renames it over path."""
    temporary = path + (b".part" if isinstance(path, bytes) else ".part")
    with open(temporary, "wb") as f:
        for chunk in chunks:
            f.write(chunk)
    os.replace(temporary, path)


def inside(root, relative_bytes):
    """The path of relative under root, or None when it would leave root."""
    root_b = os.fsencode(os.path.realpath(root))
    path = os.path.realpath(os.path.join(root_b, relative_bytes.lstrip(b"/")))
    if path != root_b and not path.startswith(root_b + b"/"):
        return None
    return path


# ---- HTTP servers

class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "KorvDemo/1.0"
    docroot = ""
    kind = ""
    shop = None
    tls = False

    def log_message(self, fmt, *args):
        self.shop.log("http %s %s" % (self.kind, fmt % args))

    def answer(self, body, status=200, content_type="text/plain; charset=Shift_JIS"):
        if isinstance(body, str):
            body = sjis(body)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def query(self):
        url = urllib.parse.urlsplit(self.path)
        params = {}
        for part in url.query.split("&"):
            if not part:
                continue
            name, _, value = part.partition("=")
            params[urllib.parse.unquote(name)] = urllib.parse.unquote_to_bytes(value).decode(
                "cp932", "replace")
        return url.path, params

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        path, params = self.query()
        if self.kind == "service" and path != "/_demo/control" and fault("answer_delay"):
            time.sleep(fault("answer_delay") / 1000.0)
        if self.kind == "service":
            handled = self.shop.service_get(self, path, params)
            if handled:
                return
        self.serve_file(path)

    def serve_file(self, path):
        target = inside(self.docroot, urllib.parse.unquote_to_bytes(path))
        if target is None or not os.path.isfile(target):
            self.answer("Not Found", 404)
            return
        with open(target, "rb") as f:
            self.answer(f.read(), content_type="application/octet-stream")

    def do_POST(self):
        path, params = self.query()
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            length = -1
        if length < 0 or length > MAX_POST:
            self.close_connection = True
            self.answer("NG-FILE\r\n", 413)
            return
        body = self.rfile.read(length) if length > 0 else b""
        if len(body) != length:
            # A cut request is never taken for a whole one.
            self.shop.log("http: request cut after %d of %d bytes" % (len(body), length))
            self.close_connection = True
            return
        if self.kind == "service" and self.shop.service_post(self, path, params, body):
            return
        if self.kind == "service":
            # A plain file of the service folder answers a form as a fixed script would.
            self.serve_file(path)
            return
        self.answer("Not Found", 404)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


class TlsServer(Server):
    """The same server behind TLS; the handshake runs in the request's own thread."""
    context = None
    shop = None

    def finish_request(self, request, client_address):
        request.settimeout(20)
        try:
            secure = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            self.shop.log("https: handshake refused: %s" % error)
            return
        try:
            Server.finish_request(self, secure, client_address)
        finally:
            secure.close()

    def handle_error(self, request, client_address):
        self.shop.log("https: %s" % (sys.exc_info()[1],))


def make_certificate(folder):
    """A self-signed certificate for 127.0.0.1: (certificate file, key file)."""
    from cryptography import x509
    from cryptography.hazmat.primitives import hashes, serialization
    from cryptography.hazmat.primitives.asymmetric import ec
    from cryptography.x509.oid import NameOID

    os.makedirs(folder, mode=0o700, exist_ok=True)
    key = ec.generate_private_key(ec.SECP256R1())
    name = x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, "Korvatel demo shop")])
    now = datetime.datetime.utcnow()
    cert = (x509.CertificateBuilder().subject_name(name).issuer_name(name)
            .public_key(key.public_key()).serial_number(x509.random_serial_number())
            .not_valid_before(now - datetime.timedelta(days=1))
            .not_valid_after(now + datetime.timedelta(days=30))
            .add_extension(x509.SubjectAlternativeName(
                [x509.IPAddress(ipaddress.ip_address("127.0.0.1"))]), critical=False)
            .add_extension(x509.BasicConstraints(ca=True, path_length=None), critical=True)
            .sign(key, hashes.SHA256()))
    cert_file = os.path.join(folder, "cert.pem")
    key_file = os.path.join(folder, "key.pem")
    fd = os.open(key_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "wb") as f:
        f.write(key.private_bytes(serialization.Encoding.PEM,
                                  serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption()))
    with open(cert_file, "wb") as f:
        f.write(cert.public_bytes(serialization.Encoding.PEM))
    return cert_file, key_file


def start_http(shop, kind, docroot, context=None):
    handler = type("Handler_" + kind, (Handler,), {"docroot": docroot, "kind": kind,
                                                    "shop": shop, "tls": context is not None})
    if context is None:
        server = Server(("127.0.0.1", 0), handler)
    else:
        server = type("TlsServer_" + kind, (TlsServer,), {"context": context, "shop": shop})(
            ("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def parse_multipart(content_type, body):
    """Fields of a multipart/form-data body: name -> (filename bytes or None, data bytes)."""
    match = re.search(r'boundary="?([^";]+)"?', content_type or "")
    if not match:
        return {}
    boundary = b"--" + match.group(1).encode("latin-1")
    fields = {}
    for part in body.split(boundary)[1:]:
        if part.startswith(b"--"):
            break
        head, _, data = part.partition(b"\r\n\r\n")
        if data.endswith(b"\r\n"):
            data = data[:-2]
        name = re.search(rb'name="([^"]*)"', head)
        filename = re.search(rb'filename="([^"]*)"', head)
        if name:
            fields[name.group(1).decode("latin-1")] = (
                filename.group(1) if filename else None, data)
    return fields


# ---- FTP server

def start_ftp(shop, home, tls=None):
    """The image server; with tls (certificate file, key file) an FTPS server that refuses
    every command but AUTH before TLS is up, and every data connection without it."""
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import DTPHandler, FTPHandler, TLS_DTPHandler, TLS_FTPHandler
    from pyftpdlib.ioloop import IOLoop
    from pyftpdlib.servers import FTPServer

    class TlsDTP(TLS_DTPHandler):
        # libcurl starts TLS on a passive data connection before it sends the transfer
        # command; pyftpdlib's own handler takes that early read for a hang-up and closes.
        def readable(self):
            if self._ssl_accepting or self._ssl_want_read:
                return True
            if not self.receive and not self._initialized:
                return False
            return TLS_DTPHandler.readable(self)

    class FaultyDTP(DTPHandler):
        def handle_read(self):
            limit = fault("ftp_drop_after")
            DTPHandler.handle_read(self)
            if limit is not None and self.receive and self.tot_bytes_received >= int(limit):
                shop.log("ftp: dropping the connection after %d bytes" % self.tot_bytes_received)
                cmd = self.cmd_channel
                self.close()
                cmd.close()

        handle_read_event = handle_read

        def readable(self):
            if fault("ftp_stall") and self.receive:
                return False
            return DTPHandler.readable(self)

        def writable(self):
            if fault("ftp_stall") and not self.receive:
                return False
            return DTPHandler.writable(self)

    class ShopFTPHandler(TLS_FTPHandler if tls else FTPHandler):
        # Command lines are decoded as UTF-8; surrogateescape keeps every other byte as it
        # came, so Shift-JIS file names reach the disk (and come back in listings) unchanged.
        unicode_errors = "surrogateescape"
        auth_failed_timeout = 0
        dtp_handler = FaultyDTP
        banner = "Demo shop image server ready."

        def ftp_STOR(self, file, mode="w"):
            phone_dir = os.path.join(home, shop_data.PHONE_BASE_DIR.strip("/"))
            if fault("keitai_refuse") and os.path.realpath(file).startswith(phone_dir + os.sep):
                shop.log("ftp: refusing the phone picture %s" % file)
                self.respond("550 Phone pictures are refused.")
                return
            if os.path.basename(file) != "Sending":
                with FAULT_LOCK:
                    left = FAULTS.get("ftp_drop_files")
                    if left is not None:
                        FAULTS["ftp_drop_files"] = None if left <= 0 else left - 1
                if left is not None and left <= 0:
                    shop.log("ftp: dropping the connection at %s" % file)
                    self.close()
                    return
            return super().ftp_STOR(file, mode)

        def on_file_received(self, file):
            # Shift-JIS names come as surrogate escapes: the log gets them readable or replaced.
            name = os.path.relpath(file, home).encode("utf-8", "surrogateescape")
            shop.log("ftp: received %s" % name.decode("utf-8", "replace"))

        def ftp_SIZE(self, path):
            if fault("ftp_wrong_size") and self.fs.isfile(self.fs.realpath(path)):
                self.respond("213 %s" % (os.path.getsize(path) + 1))
                return
            return super().ftp_SIZE(path)

    # Only warnings: the demo's own log says what happened.
    ftp_log = logging.getLogger("pyftpdlib")
    ftp_log.addHandler(logging.StreamHandler())
    ftp_log.setLevel(logging.WARNING)
    authorizer = DummyAuthorizer()
    authorizer.add_user(shop_data.FTP_USER, shop_data.FTP_PASSWORD, home, perm="elradfmwMT")
    ShopFTPHandler.authorizer = authorizer
    if tls:
        ShopFTPHandler.certfile, ShopFTPHandler.keyfile = tls
        ShopFTPHandler.tls_control_required = True
        ShopFTPHandler.tls_data_required = True
        ShopFTPHandler.dtp_handler = TlsDTP  # the faults are the plain server's
        ShopFTPHandler.banner = "Demo shop image server (TLS) ready."
    # An event loop of its own: the plain and the TLS server each run in a thread.
    server = FTPServer(("127.0.0.1", 0), ShopFTPHandler, ioloop=IOLoop())
    server.max_cons = 64
    threading.Thread(target=server.serve_forever, kwargs={"handle_exit": False},
                     daemon=True).start()
    return server.address[1]


# ---- SMTP server

def start_smtp(shop, mail_dir, tls=None):
    """An SMTP server that keeps every mail it takes as <mail_dir>/NNNN.eml (0600), numbered in
    the order of arrival across both servers. A recipient whose address starts with "refuse" is
    refused (550). With tls (certificate and key files) it offers STARTTLS and takes AUTH only
    after it, so a client that sends its password in clear cannot log in."""
    warnings.filterwarnings("ignore")
    logging.getLogger("mail.log").setLevel(logging.ERROR)
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult

    class Store:
        async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
            if address.lower().startswith("refuse"):
                shop.log("smtp: refused %s" % address)
                return "550 5.1.1 mailbox unavailable"
            envelope.rcpt_tos.append(address)
            return "250 OK"

        async def handle_DATA(self, server, session, envelope):
            with shop.mail_lock:
                shop.mail_count += 1
                name = os.path.join(mail_dir, "%04d.eml" % shop.mail_count)
                fd = os.open(name, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
                with os.fdopen(fd, "wb") as f:
                    f.write(envelope.original_content or b"")
            shop.log("smtp: stored %s for %s%s" % (name, ",".join(envelope.rcpt_tos),
                                                   " (tls)" if session.ssl else ""))
            return "250 OK"

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (auth_data.login == shop_data.FTP_USER.encode()
              and auth_data.password == shop_data.FTP_PASSWORD.encode())
        # Tests read this line to see whether a login reached the server, and in clear or not.
        shop.log("smtp: AUTH %s%s" % (mechanism, " (tls)" if session.ssl else " (clear)"))
        # handled=False: aiosmtpd sends 535 itself on failure.
        return AuthResult(success=ok, handled=False)

    context = None
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*tls)
    # The controller takes a port number, not a socket: a port found free can be taken by
    # another program before the server binds it, so a few ports are tried.
    for attempt in range(5):
        port = free_port()
        controller = Controller(Store(), hostname="127.0.0.1", port=port,
                                authenticator=authenticator, auth_required=True,
                                auth_require_tls=bool(tls), decode_data=False,
                                tls_context=context, require_starttls=False)
        try:
            controller.start()
        except (OSError, RuntimeError):
            if attempt == 4:
                raise
            continue
        shop.smtp_controllers.append(controller)
        return port


# ---- The shop

class DemoShop:
    def __init__(self, root, verbose):
        self.root = os.path.abspath(root)
        self.verbose = verbose
        self.log_lock = threading.Lock()
        self.ports = {}
        self.smtp_controllers = []
        self.held_sockets = []
        self.mail_lock = threading.Lock()
        self.mail_count = 0
        self.card_lock = threading.Lock()
        self.card_paid = {}  # card order ID -> (amount, token)
        self.card_bundles = {}  # bundle ID -> token
        self.card_tokens = set()  # the tokens of registered cards
        self.card_number = 1000
        self.envelope_changed = False
        self.piece_lock = threading.Lock()
        self.joined = {}  # real path of a file joined from pieces -> (size, sha256 hex)

    def log(self, text):
        with self.log_lock:
            with open(os.path.join(self.root, "demo-shop.log"), "a", encoding="utf-8") as f:
                f.write("%s %s\n" % (datetime.datetime.now().strftime("%H:%M:%S.%f")[:-3], text))
        if self.verbose:
            print(text, file=sys.stderr, flush=True)

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    # Folders and files that do not depend on the ports.
    def prepare(self):
        os.makedirs(self.root, exist_ok=True)
        for sub in ("primary", "secondary", "service", "receiver", "mail"):
            os.makedirs(self.path(sub), exist_ok=True)
        os.chmod(self.path("mail"), 0o700)  # the mails hold customers' addresses
        for sub in ("order", "order/message", "keitai", "keitai-table"):
            os.makedirs(self.path("ftp", sub), exist_ok=True)
        # The phone model table that the client downloads (KeitaiServer1 in servers.ini).
        write_sjis(self.path("ftp", "keitai-table", "Keitai.ini"), shop_data.KEITAI_TABLE)
        service = self.path("service")
        write_sjis(os.path.join(service, "Korvatel", "VerHist.ini"),
                   "0.90=最初の公開版\r\n0.95=日付の写し込みを追加\r\n1.00=インターネット注文に対応\r\n")
        program = os.path.join(service, "Korvatel", "Korvatel1234")
        if not os.path.exists(program):
            with open(program, "wb") as f:
                f.write(b"#!/bin/sh\necho 'Korvatel demo program'\n")
        campus = self.path("service", "campus-files", "campus")
        write_sjis(os.path.join(campus, "korvatel", "cost.ini"),
                   "<CHARGE>\r\nL=30\r\n2L=90\r\n")
        write_sjis(os.path.join(campus, "shop." + shop_data.SHOP_ID, "master.ini"),
                   "<CHARGE>\r\nL=28\r\n2L=85\r\n")
        write_sjis(os.path.join(campus, "shop." + shop_data.SHOP_ID, "pays.ini"),
                   "UseBank=TRUE\r\nUseCredit=FALSE\r\n")
        write_sjis(os.path.join(campus, "shop." + shop_data.SHOP_ID, "campus_ok"), "OK\r\n")

    def write_shop_data(self):
        ftp_host = "127.0.0.1:%d" % self.ports.get("ftp", 0)
        service_url = "http://127.0.0.1:%d" % self.ports["service"]
        for number, sub in ((1, "primary"), (2, "secondary")):
            folder = self.path(sub, "KorvFmt", shop_data.SHOP_ID)
            os.makedirs(folder, exist_ok=True)
            text = shop_data.host_fmt(ftp_host, service_url, "2026.12.01.0%d" % number)
            with open(os.path.join(folder, "HostFmt.ini"), "wb") as f:
                f.write(sjis(text))
            self.signer.sign_file(self.signing_key, os.path.join(folder, "HostFmt.ini"))
            for switch in ("Hosei.on", "Card.on", "Http.on"):
                write_sjis(os.path.join(folder, switch), "ON\r\n")
            # The card plates the shop offers, with their list (drawn once, then copied).
            if not os.path.exists(os.path.join(folder, "Plates", "CardPlates.ini")):
                shutil.copytree(make_plates.cached_plates(), os.path.join(folder, "Plates"),
                                dirs_exist_ok=True)
            write_sjis(os.path.join(folder, "Plates", "CardPrice.ini"), CARD_PRICES)
            alias = self.path(sub, "KorvArias")
            os.makedirs(alias, exist_ok=True)
            with open(os.fsencode(alias) + b"/" + sjis(shop_data.SHOP_ALIAS) + b".ini", "wb") as f:
                f.write(sjis("MasterID=%s\r\n" % shop_data.SHOP_ID))
        write_sjis(self.path("service", "Korvatel", "Versions.ini"),
                   "VersionsInformation=TRUE\r\n")
        self.sign_envelopes()

    def sign_envelopes(self, expires=None):
        """Signs each format server's envelope over the shop's files and its campus lists; a
        given expiry date (yyyy-mm-dd) makes an envelope for the expiry tests."""
        campus = self.path("service", "campus-files", "campus")
        extra = [("Campus/cost.ini", os.path.join(campus, "korvatel", "cost.ini"))]
        for name in ("master.ini", "custom.ini", "pays.ini"):
            path = os.path.join(campus, "shop." + shop_data.SHOP_ID, name)
            if os.path.exists(path):
                extra.append(("Campus/" + name, path))
        ends = (datetime.date.fromisoformat(expires) if expires
                else datetime.date.today() + datetime.timedelta(days=365))
        issued = (ends - datetime.timedelta(days=365)).isoformat() if expires else None
        expires = ends.isoformat()
        for sub in ("primary", "secondary"):
            self.signer.sign_shop_envelope(
                self.signing_key, self.path(sub, "KorvFmt", shop_data.SHOP_ID), shop_data.SHOP_ID,
                ENVELOPE_SERIAL, expires, issued, [shop_data.SHOP_ALIAS], extra)

    def sign_program(self):
        """Signs the demo program as the version the order host table offers."""
        self.signer.sign_release(self.signing_key, self.path("service", "Korvatel", "Korvatel1234"),
                                 shop_data.OFFERED_VERSION, shop_data.OFFERED_BUILD)

    def start(self, refuse):
        self.prepare()
        self.signer = signing_tool()
        self.signing_key = self.signer.load_private(DEMO_PRIVATE_KEY)
        self.cert_file, key_file = make_certificate(self.path("tls"))
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(self.cert_file, key_file)
        for kind in ("primary", "secondary", "service"):
            if kind in refuse:
                self.ports[kind] = closed_port(self)
                self.ports[kind + "_tls"] = closed_port(self)
            else:
                self.ports[kind] = start_http(self, kind, self.path(kind))
                self.ports[kind + "_tls"] = start_http(self, kind, self.path(kind), context)
        self.ports["ftp"] = (closed_port(self) if "ftp" in refuse
                             else start_ftp(self, self.path("ftp")))
        self.ports["ftps"] = (closed_port(self) if "ftps" in refuse
                              else start_ftp(self, self.path("ftp"), (self.cert_file, key_file)))
        self.ports["smtp"] = (closed_port(self) if "smtp" in refuse
                              else start_smtp(self, self.path("mail")))
        self.ports["starttls"] = (closed_port(self) if "starttls" in refuse
                                  else start_smtp(self, self.path("mail"), (self.cert_file, key_file)))
        self.write_shop_data()
        threading.Thread(target=self.receive_orders, daemon=True).start()

    def servers_ini(self):
        http = "http://127.0.0.1:%d"
        https = "https://127.0.0.1:%d"
        service = http % self.ports["service"]
        with open(DEMO_PUBLIC_KEY, "rb") as f:
            from cryptography.hazmat.primitives import serialization
            public_key = self.signer.public_key_line(serialization.load_pem_public_key(f.read()))
        lines = [
            "PrimaryURL=" + https % self.ports["primary_tls"],
            "PrimaryFolder=/KorvFmt",
            "SecondaryURL=" + https % self.ports["secondary_tls"],
            "SecondaryFolder=/KorvFmt",
            "UpdateURL=" + https % self.ports["service_tls"] + "/Korvatel",
            "RegistrationURL=" + https % self.ports["service_tls"] + "/MacUp.php",
            "CaFile=" + self.cert_file,
            "ShopDataKey=" + public_key,
            "TimeServer1=" + service,
            "VersionURL=" + service,
            "CampusURL=" + service,
            "CampusRoot=/campus",
            "BlockedDomain=hosting.korvatel.example",
            "DemoFtpHost=127.0.0.1:%d" % self.ports["ftp"],
            "DemoFtpUser=" + shop_data.FTP_USER,
            "DemoFtpPassword=" + shop_data.FTP_PASSWORD,
            "DemoFtpHomeDir=/",
            "HostedOrderServer=order.hosting.korvatel.example",
            "MemberURL=" + service,
            "CardURL=" + https % self.ports["service_tls"] + "/card",
            # The demo shop's FTP server needs no pause between files.
            "UploadPause5=0",
            "UploadPause10=0",
            "KeitaiServer1=127.0.0.1:%d" % self.ports["ftp"],
            "KeitaiUser1=" + shop_data.FTP_USER,
            "KeitaiPassword1=" + shop_data.FTP_PASSWORD,
            "KeitaiFolder1=/keitai-table",
        ]
        return "\r\n".join(lines) + "\r\n"

    def state_ini(self):
        lines = ["%sPort=%d" % (k.capitalize(), v) for k, v in sorted(self.ports.items())]
        lines += [
            "Root=" + self.root,
            "FtpRoot=" + self.path("ftp"),
            "FtpUser=" + shop_data.FTP_USER,
            "FtpPassword=" + shop_data.FTP_PASSWORD,
            "FtpBaseDir=" + shop_data.FTP_BASE_DIR,
            "ShopId=" + shop_data.SHOP_ID,
            "ShopAlias=" + shop_data.SHOP_ALIAS,
            "ReceiverDir=" + self.path("receiver"),
            "MailDir=" + self.path("mail"),
            "KeitaiDir=" + self.path("ftp", shop_data.PHONE_BASE_DIR.strip("/")),
            "ServiceDir=" + self.path("service"),
            "PrimaryDir=" + self.path("primary"),
            "SecondaryDir=" + self.path("secondary"),
            "CardLedger=" + self.path("card-ledger.txt"),
            "CaFile=" + self.cert_file,
        ]
        return "\r\n".join(lines) + "\r\n"

    # -- the service server's scripts

    def service_get(self, handler, path, params):
        if path == "/_demo/control":
            with FAULT_LOCK:
                if params.get("reset"):
                    FAULTS.clear()
                    FAULTS.update(DEFAULT_FAULTS)
                for name, value in params.items():
                    if name in ("ftp_stall", "ftp_wrong_size", "shop_stop", "card_decline",
                                "keitai_refuse"):
                        FAULTS[name] = value not in ("", "0")
                    elif name in ("answer_delay", "ftp_drop_after", "ftp_drop_files",
                                  "http_drop_piece", "http_lose_piece"):
                        FAULTS[name] = int(value) if value else None
                    elif name in ("time", "versions"):
                        FAULTS[name] = value
            if params.get("envelope_expires") or (params.get("reset") and self.envelope_changed):
                self.envelope_changed = bool(params.get("envelope_expires"))
                self.sign_envelopes(params.get("envelope_expires"))
            if "versions" in params:
                write_sjis(self.path("service", "Korvatel", "Versions.ini"),
                           "VersionsInformation=%s\r\n" % params["versions"])
            handler.answer("OK")
            return True
        if path.startswith(shop_data.PHONE_BASE_DIR + "/"):
            self.serve_phone_page(handler, path)
            return True
        if path == "/_demo/flood":
            self.flood(handler, params)
            return True
        if path == "/_demo/redirect":
            handler.send_response(302)
            handler.send_header("Location", params.get("to", "/"))
            handler.send_header("Content-Length", "0")
            handler.end_headers()
            return True
        if path.startswith("/to-plain/"):
            # Sends the client on to the same file over plain HTTP: a redirect that a client
            # asking for HTTPS alone must refuse.
            handler.send_response(302)
            handler.send_header("Location", "http://127.0.0.1:%d/%s" % (
                self.ports["service"], path[len("/to-plain/"):]))
            handler.send_header("Content-Length", "0")
            handler.end_headers()
            return True
        if path == "/GetTime.php":
            fixed = fault("time")
            now = fixed or datetime.datetime.now().strftime("%Y/%m/%d %H:%M:%S")
            handler.answer("Status=OK\r\nTime=%s\r\n" % now)
            return True
        if path == "/tamsel_php/get_textfile.php":
            name = params.get("file", "")
            if name == "@test":
                handler.answer("OK\r\n")
                return True
            target = inside(self.path("service", "campus-files"), sjis(name))
            if target is None or not os.path.isfile(target):
                handler.answer("NONE\r\n")
            else:
                with open(target, "rb") as f:
                    handler.answer(f.read())
            return True
        if path == "/tamsel_php/find_file.php":
            name = params.get("file", "")
            if name == "@test":
                handler.answer("OK\r\n")
                return True
            target = inside(self.path("service", "campus-files"), sjis(name))
            handler.answer("FOUND\r\n" if target and os.path.exists(target) else "NONE\r\n")
            return True
        if path == "/tamsel_php/korv_finish.php":
            order = params.get("dir", "")
            status = inside(self.path("ftp", shop_data.FTP_BASE_DIR.lstrip("/")),
                            sjis(order + "/Sending"))
            if not order or status is None or params.get("comp") != "true":
                handler.answer("NG-PARA\r\n")
                return True
            os.makedirs(os.path.dirname(status), exist_ok=True)
            with open(status, "wb") as f:
                f.write(b"Complite\r\n")
            handler.answer("OK\r\n")
            return True
        if path in ("/member/auth.php", "/cgi-bin/auth.cgi"):
            self.member_auth(handler, params)
            return True
        if path.startswith("/card/"):
            return self.card_request(handler, path[len("/card/"):], params)
        return False

    def flood(self, handler, params):
        """An answer of size bytes of line breaks, sent in 64 KiB pieces, with a declared length
        unless length=0; delay=MS waits between pieces. The client is expected to hang up."""
        size = int(params.get("size", "0") or 0)
        delay = int(params.get("delay", "0") or 0) / 1000.0
        handler.send_response(200)
        handler.send_header("Content-Type", "text/plain")
        if params.get("length", "1") != "0":
            handler.send_header("Content-Length", str(size))
        else:
            handler.send_header("Connection", "close")
            handler.close_connection = True
        handler.end_headers()
        piece = b"\r\n" * 32768
        try:
            while size > 0:
                handler.wfile.write(piece[:size])
                size -= min(size, len(piece))
                if delay:
                    time.sleep(delay)
        except OSError:
            handler.close_connection = True

    # -- the test card-payment service

    def card_request(self, handler, script, params, body=b""):
        """A card script; the fields of a POST form count over those of the address."""
        fields = dict(params)
        if body:
            fields.update({name: value[1].decode("cp932", "replace") for name, value in
                           parse_multipart(handler.headers.get("Content-Type"), body).items()})
        handler.answer(self.card_answer(script, fields))
        return True

    def card_answer(self, script, fields):
        ident = fields.get("id", "")
        token = fields.get("token", "")
        with self.card_lock:
            if script == "register.php":
                token = secrets.token_hex(16)
                self.card_tokens.add(token)
                self.log("card: registered a card")
                return "OK\r\nToken=%s\r\n" % token
            if script == "settings.php":
                return "OK\r\nテスト用カードはデモ店に登録済みです。\r\n"
            if token not in self.card_tokens:
                self.log("card: refused %s %s without a registered token" % (script, ident))
                return "NG\r\nカードの登録を確認できません。カードを登録し直してください。\r\n"
            if script == "pay.php":
                amount = fields.get("amount", "")
                if not CARD_ID.match(ident) or not amount.isdigit() or int(amount) <= 0:
                    return "NG\r\nパラメータが正しくありません。\r\n"
                if self.card_paid.get(ident, (0, token))[1] != token:
                    self.log("card: refused pay %s of another card" % ident)
                    return "NG\r\nこの注文は決済できません。\r\n"
                if fault("card_decline"):
                    return "NG\r\nカードの利用が承認されませんでした。\r\n"
                self.card_paid[ident] = (int(amount), token)
                with open(self.path("card-ledger.txt"), "a", encoding="utf-8") as f:
                    f.write("PAID %s %s\n" % (ident, amount))
                self.log("card: paid %s %s" % (ident, amount))
                return "OK\r\n"
            if script == "bundle.php":
                if not CARD_ID.match(ident) or not fields.get("lines") or \
                        self.card_bundles.get(ident, token) != token:
                    return "NG\r\nパラメータが正しくありません。\r\n"
                self.card_bundles[ident] = token
                return "OK\r\n"
            if script == "release.php":
                # The history names a bundle with "(P)" in front of the ID it registered.
                bundle = ident[3:] if ident.startswith("(P)") else ident
                if self.card_bundles.get(bundle) != token or ("(P)" + bundle) in self.card_paid:
                    return "NG\r\nまとめ精算が見つかりません。\r\n"
                del self.card_bundles[bundle]
                return "OK\r\n"
            if script == "number.php":
                self.card_number += 1
                return "OK\r\nNumber=%d\r\n" % self.card_number
            if script == "status.php":
                asked = [i for i in ident.split(",") if CARD_ID.match(i)]
                return "OK\r\n" + "".join("%s=3\r\n" % i for i in asked
                                            if self.card_paid.get(i, (0, ""))[1] == token)
        return "NG\r\n不明な要求です。\r\n"

    def member_auth(self, handler, params):
        """The member page: the account in the query of a GET or the fields of a POST form."""
        user = params.get("id", params.get("usr", ""))
        password = params.get("pass", params.get("pw", ""))
        if password.startswith("*"):
            password = unscramble(password) or ""
        ok = shop_data.MEMBERS.get(user) == password and password != ""
        handler.answer("OK\r\n" if ok else "NG\r\n")

    def registration(self, handler, body):
        """The start-up registration report: one line per report in registrations.txt."""
        if not handler.tls:
            self.log("report: refused plain http")
            handler.answer("NG\r\n", 403)
            return True
        fields = parse_multipart(handler.headers.get("Content-Type"), body)
        record = {name: value[1].decode("cp932", "replace") for name, value in fields.items()}
        if not record.get("Id") or not record.get("MachineID"):
            handler.answer("NG\r\n")
            return True
        line = "%s\t%s" % (datetime.datetime.now().strftime("%Y/%m/%d %H:%M:%S"),
                            ";".join("%s=%s" % item for item in sorted(record.items())))
        with self.log_lock:
            with open(os.path.join(self.root, "registrations.txt"), "a", encoding="utf-8") as f:
                f.write(line.replace("\n", " ") + "\n")
        self.log("report: received %s" % record["MachineID"])
        handler.answer("OK\r\n")
        return True

    def serve_phone_page(self, handler, path):
        """The phone pictures that the client put on the FTP server, as a phone's browser reaches
        them under KeitaiURL; a folder answers with its index.html."""
        relative = urllib.parse.unquote_to_bytes(path)[len(shop_data.PHONE_BASE_DIR):]
        if relative.endswith(b"/"):
            relative += b"index.html"
        target = inside(self.path("ftp", shop_data.PHONE_BASE_DIR.strip("/")), relative)
        if target is None or not os.path.isfile(target):
            handler.answer("Not Found", 404)
            return
        kinds = {".jpg": "image/jpeg", ".png": "image/png", ".gif": "image/gif",
                 ".bmp": "image/bmp", ".html": "text/html; charset=Shift_JIS"}
        kind = kinds.get(os.path.splitext(target)[1].lower(), "application/octet-stream")
        with open(target, "rb") as f:
            handler.answer(f.read(), content_type=kind)

    def service_post(self, handler, path, params, body):
        if path == "/MacUp.php":
            return self.registration(handler, body)
        if path.startswith("/card/"):
            return self.card_request(handler, path[len("/card/"):], params, body)
        if path in ("/member/auth.php", "/cgi-bin/auth.cgi"):
            fields = parse_multipart(handler.headers.get("Content-Type"), body)
            self.member_auth(handler, {name: value[1].decode("cp932", "replace")
                                       for name, value in fields.items()})
            return True
        if path != "/tamsel_php/korv_upload.php":
            return False
        if fault("shop_stop"):
            handler.answer("SHOP-STOP\r\n")
            return True
        fields = parse_multipart(handler.headers.get("Content-Type"), body)
        folder = fields.get("dir", (None, b""))[1]
        upload = fields.get("file")
        if not folder:
            handler.answer("NG-PARA\r\n")
            return True
        if upload is None or upload[0] is None:
            handler.answer("NG-FILE\r\n")
            return True
        base = self.path("ftp", shop_data.FTP_BASE_DIR.lstrip("/"))
        target_dir = inside(base, folder)
        if target_dir is None:
            handler.answer("NG-DIR\r\n")
            return True
        name = os.path.basename(upload[0])
        if not name:
            handler.answer("NG-FILE\r\n")
            return True
        os.makedirs(target_dir, exist_ok=True)
        if "part" in fields:
            return self.receive_piece(handler, fields, folder, target_dir, name)
        write_atomic(os.path.join(target_dir, name), [upload[1]])
        handler.answer("OK\r\n")
        return True

    def receive_piece(self, handler, fields, folder, target_dir, name):
        """One piece of a split upload; the file is joined and checked once all are in."""
        def text(field):
            return fields.get(field, (None, b""))[1].decode("ascii", "replace").strip()
        try:
            part, parts, size = int(text("part")), int(text("parts")), int(text("size"))
        except ValueError:
            handler.answer("NG-PARA\r\n")
            return True
        digest = text("sha256")
        data = fields["file"][1]
        if (not 1 <= part <= parts <= MAX_PIECES or not 0 <= size <= parts * MAX_PIECE
                or not SHA256_HEX.match(digest) or len(data) > MAX_PIECE):
            handler.answer("NG-PARA\r\n")
            return True
        # The pieces of one file: its place, size and checksum name their folder, so pieces of
        # another version of the file never mix with them.
        key = hashlib.sha256(b"\0".join([folder, name, str(size).encode(), digest.encode()]))
        stage = self.path("pieces", key.hexdigest())
        os.makedirs(stage, exist_ok=True)
        shown = "%s/%s" % (folder.decode("cp932", "replace"), name.decode("cp932", "replace"))
        with FAULT_LOCK:
            drop = FAULTS.get("http_drop_piece") == part
            if drop:
                FAULTS["http_drop_piece"] = None
        self.log("http: piece %d/%d of %s" % (part, parts, shown))
        if drop:
            self.log("http: dropping piece %d of %s" % (part, shown))
            handler.close_connection = True
            return True
        if fault("http_lose_piece") == part:
            self.log("http: losing piece %d of %s" % (part, shown))
        else:
            write_atomic(os.path.join(stage, "%d" % part), [data])
        with self.piece_lock:
            missing = [k for k in range(1, parts + 1)
                       if not os.path.isfile(os.path.join(stage, "%d" % k))]
            if missing:
                handler.answer("NEXT %d\r\n" % missing[0])
                return True
            target = os.path.join(target_dir, name)
            # Joined piece by piece into a file beside the target: never the whole in memory.
            temporary = target + b".join"
            joined = hashlib.sha256()
            total = 0
            with open(temporary, "wb") as out:
                for k in range(1, parts + 1):
                    with open(os.path.join(stage, "%d" % k), "rb") as f:
                        piece = f.read()
                    joined.update(piece)
                    total += len(piece)
                    out.write(piece)
            shutil.rmtree(stage, ignore_errors=True)
            if total != size or joined.hexdigest() != digest:
                os.remove(temporary)
                self.log("http: %s joined wrong: %d bytes, sha256 %s" % (
                    shown, total, joined.hexdigest()))
                handler.answer("NG-FILE\r\n")
                return True
            os.replace(temporary, target)
            self.joined[os.path.realpath(target)] = (size, digest)
        self.log("http: joined %s from %d pieces, %d bytes" % (shown, parts, size))
        handler.answer("OK\r\n")
        return True

    # -- the receiver

    def receive_orders(self):
        base = os.fsencode(self.path("ftp", shop_data.FTP_BASE_DIR.lstrip("/")))
        done = {}  # order name -> the time of the status file when it was checked
        while True:
            time.sleep(0.3)
            try:
                names = os.listdir(base)
            except OSError:
                continue
            for name in names:
                if name == b"message":
                    continue
                status = os.path.join(base, name, b"Sending")
                try:
                    stamp = os.stat(status).st_mtime_ns
                    if done.get(name) == stamp:
                        continue
                    with open(status, "rb") as f:
                        text = f.read().decode("cp932", "replace").strip()
                except OSError:
                    continue
                if text != "Complite":
                    continue
                # A changed card order completes again under its name: checked again.
                done[name] = stamp
                self.check_order(base, name)

    def check_order(self, base, name):
        entry = os.path.join(base, b"message", name + b".etr")
        verdict = []
        problems = 0
        try:
            with open(entry, "rb") as f:
                lines = f.read().decode("cp932", "replace").splitlines()
        except OSError:
            lines = None
            verdict.append("NG entry file missing")
            problems += 1
        if lines is not None:
            try:
                files = lines[lines.index("<files>") + 1:lines.index("<end>")]
            except ValueError:
                files = []
                verdict.append("NG entry file without <files> … <end>")
                problems += 1
            for line in files:
                remote, _, rest = line.partition("=")
                size_text = rest.split(";")[0]
                target = inside(base, sjis(remote))
                if target is None or not os.path.isfile(target):
                    verdict.append("NG missing %s" % remote)
                    problems += 1
                    continue
                actual = os.path.getsize(target)
                if not size_text.isdigit() or int(size_text) != actual:
                    verdict.append("NG size %s: listed %s, found %d" % (remote, size_text, actual))
                    problems += 1
                    continue
                joined = self.joined.get(os.path.realpath(target))
                if joined is None:
                    verdict.append("OK %s %d" % (remote, actual))
                    continue
                # A file joined from pieces: byte for byte what the client's checksum says.
                with open(target, "rb") as f:
                    found = hashlib.file_digest(f, "sha256").hexdigest() if hasattr(
                        hashlib, "file_digest") else hashlib.sha256(f.read()).hexdigest()
                if joined != (actual, found):
                    verdict.append("NG checksum %s: sent %s, found %s" % (remote, joined[1], found))
                    problems += 1
                else:
                    verdict.append("OK %s %d sha256 %s" % (remote, actual, found))
        card = card_order_problems(os.path.join(base, name), name)
        if card is not None:
            verdict += card
            problems += sum(1 for line in card if line.startswith("NG"))
        head = "ACCEPTED" if problems == 0 else "REJECTED %d" % problems
        out = os.path.join(os.fsencode(self.path("receiver")), name + b".txt")
        # Written beside and renamed, so a reader never sees half a verdict.
        with open(out + b".part", "wb") as f:
            f.write(sjis("\r\n".join([head] + verdict) + "\r\n"))
        os.replace(out + b".part", out)
        self.log("receiver: %s %s" % (os.fsdecode(name), head))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default="demo-shop-data",
                        help="folder for the servers' files (made when missing)")
    parser.add_argument("--servers", help="write the client's servers.ini here")
    parser.add_argument("--state", help="write the ports and folders here (key file)")
    parser.add_argument("--refuse", default="",
                        help="comma list of servers not to start: primary, secondary, "
                             "service, ftp, smtp, starttls")
    parser.add_argument("--program", help="the file served as the new program")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    reset_faults()
    shop = DemoShop(args.root, args.verbose)
    refuse = {r.strip() for r in args.refuse.split(",") if r.strip()}
    shop.start(refuse)
    if args.program:
        shutil.copyfile(args.program, shop.path("service", "Korvatel", "Korvatel1234"))
    shop.sign_program()
    if args.servers:
        write_sjis(os.path.abspath(args.servers), shop.servers_ini())
    if args.state:
        write_sjis(os.path.abspath(args.state), shop.state_ini())
    shop.log("ready: " + ", ".join("%s %d" % kv for kv in sorted(shop.ports.items())))
    print("READY " + " ".join("%s=%d" % kv for kv in sorted(shop.ports.items())), flush=True)
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
