"""Reads one stored mail with Python's email package, as a standard mail reader would, and prints
what it decoded as JSON: the subject, the sender's name, the plain-text body and every attachment
(its name and its bytes in hex)."""
import email
import email.policy
import json
import sys

with open(sys.argv[1], "rb") as f:
    message = email.message_from_bytes(f.read(), policy=email.policy.default)
sender = message["from"].addresses[0]
body = message.get_body(("plain",))
print(json.dumps({
    "subject": str(message["subject"]),
    "from_name": sender.display_name,
    "from_address": sender.addr_spec,
    "from_count": len(message["from"].addresses),
    "to": str(message["to"]),
    "reply_to": str(message["reply-to"] or ""),
    "mailer": str(message["x-mailer"]),
    "date_ok": message["date"].datetime is not None,
    "charset": body.get_content_charset(),
    "body": body.get_content(),
    "attachments": [{"name": part.get_filename(), "hex": part.get_content().hex()}
                    for part in message.iter_attachments()],
    "defects": len(message.defects) + sum(len(p.defects) for p in message.walk()),
}))
