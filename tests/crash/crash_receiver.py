#!/usr/bin/env python3
"""A studio's crash service for the tests: takes multipart/form-data POSTs on 127.0.0.1 and keeps
each one in DIR as received-N.dmp (the upload_file_minidump part) and received-N.txt (the request
line, headers, fields and the dump's SHA-256). It answers with the status in DIR/status (200 when
there is none). Writes its port to DIR/port. With a certificate and its key it takes HTTPS.
usage: crash_receiver.py DIR [CERT.pem KEY.pem]"""
import email.parser
import email.policy
import hashlib
import http.server
import ssl
import sys
from pathlib import Path

folder = Path(sys.argv[1])


class Receiver(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        form = email.parser.BytesParser(policy=email.policy.HTTP).parsebytes(
            b"Content-Type: " + self.headers["Content-Type"].encode() + b"\r\n\r\n" + body)
        n = len(list(folder.glob("received-*.txt"))) + 1
        lines = [f"{self.command} {self.path}"] + [f"header {k}: {v}" for k, v in self.headers.items()]
        for part in form.iter_parts():
            name, data = part.get_param("name", header="content-disposition"), part.get_payload(decode=True)
            if name == "upload_file_minidump":
                (folder / f"received-{n}.dmp").write_bytes(data)
                lines.append(f"file {part.get_filename()} {len(data)} bytes sha256 {hashlib.sha256(data).hexdigest()}")
            else:
                lines.append(f"field {name}={data.decode()}")
        (folder / f"received-{n}.txt").write_text("\n".join(lines) + "\n")
        status = folder / "status"
        self.send_response(int(status.read_text()) if status.exists() else 200)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Receiver)
if len(sys.argv) > 3:
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(sys.argv[2], sys.argv[3])
    server.socket = tls.wrap_socket(server.socket, server_side=True)
(folder / "port").write_text(str(server.server_address[1]))
server.serve_forever()
