#!/usr/bin/env python3
"""A printer that answers badly, for the companion's tests: on 127.0.0.1, each
path one canned answer to any POST (RFC 8010 encoding, built below).

  ipp-bad-printer.py <port-file>

Listens on a free port, writes the port to <port-file> once it listens, and
serves until it is stopped by its process id.

  /timeout       reads the request and never answers
  /http500       HTTP 500
  /status        IPP status client-error-not-possible
  /truncated     a good answer cut short in its media
  /wrong-syntax  media-size as a keyword instead of a collection
  /long-name     a media-info of 10,000 characters
  /many          10,000 media, each a paper this PC offers
"""
import http.server
import os
import socketserver
import struct
import sys
import threading

# Delimiter and value tags (RFC 8010 3.5).
OPERATION_GROUP, END, PRINTER_GROUP = 0x01, 0x03, 0x04
INTEGER, BEG_COLLECTION, END_COLLECTION = 0x21, 0x34, 0x37
TEXT, KEYWORD, CHARSET, LANGUAGE, MEMBER_NAME = 0x41, 0x44, 0x47, 0x48, 0x4A


def value(tag, name, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    name = name.encode("ascii")
    return bytes([tag]) + struct.pack(">H", len(name)) + name + struct.pack(">H", len(data)) + data


def collection(name, members):
    """A collection value named `name` ("" for an additional value) of (member, tag, data) rows;
    a data of a list is a nested collection of such rows."""
    out = value(BEG_COLLECTION, name, b"")
    for member, tag, data in members:
        out += value(MEMBER_NAME, "", member)
        out += collection("", data) if tag == BEG_COLLECTION else value(tag, "", data)
    return out + value(END_COLLECTION, "", b"")


def answer(status, request_id, printer_attributes):
    out = struct.pack(">BBHI", 2, 0, status, request_id)
    out += bytes([OPERATION_GROUP])
    out += value(CHARSET, "attributes-charset", "utf-8")
    out += value(LANGUAGE, "attributes-natural-language", "en")
    if printer_attributes is not None:
        out += bytes([PRINTER_GROUP]) + printer_attributes
    return out + bytes([END])


def media(width, height, weight, color, kind, info):
    return [
        ("media-size", BEG_COLLECTION, [("x-dimension", INTEGER, struct.pack(">i", width)),
                                        ("y-dimension", INTEGER, struct.pack(">i", height))]),
        ("media-weight-metric", INTEGER, struct.pack(">i", weight)),
        ("media-color", KEYWORD, color),
        ("media-type", KEYWORD, kind),
        ("media-info", TEXT, info),
    ]


def media_list(name, members_of_each):
    return b"".join(collection(name if i == 0 else "", m) for i, m in enumerate(members_of_each))


SIZES = [(21000, 29700), (21590, 27940), (29700, 42000), (21590, 35560)]
COLORS = ["white", "blue", "yellow", "red", "green"]
TYPES = ["stationery", "cover", "stationery-colored", "tab-stock"]


def many(count):
    return [media(*SIZES[i % 4], 60 + i % 140, COLORS[i % 5], TYPES[i % 4], "Media %05d" % i) for i in range(count)]


def answers(request_id):
    office = media(21000, 29700, 80, "white", "stationery", "Office 80")
    good = media_list("media-col-database", [office, media(21590, 27940, 160, "blue", "cover", "Cover")])
    good_answer = answer(0, request_id, good + media_list("media-col-ready", [office]))
    wrong = [("media-size", KEYWORD, "iso_a4_210x297mm")] + office[1:]
    return {
        "/status": answer(0x0404, request_id, None),
        # Cut inside the second media, well before the end of the attributes.
        "/truncated": good_answer[: len(good_answer) * 2 // 3],
        "/wrong-syntax": answer(0, request_id, media_list("media-col-database", [wrong])),
        "/long-name": answer(0, request_id, media_list("media-col-database", [
            office, media(21000, 29700, 90, "white", "stationery", "N" * 10000)])),
        "/many": answer(0, request_id, media_list("media-col-database", many(10000))),
    }


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        request_id = struct.unpack(">I", body[4:8])[0] if len(body) >= 8 else 1
        if self.path == "/timeout":
            # Holds the connection open, answering nothing, until the server stops.
            threading.Event().wait()
        if self.path == "/http500":
            self.send_error(500)
            return
        canned = answers(request_id).get(self.path)
        if canned is None:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", "application/ipp")
        self.send_header("Content-Length", str(len(canned)))
        self.end_headers()
        self.wfile.write(canned)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: ipp-bad-printer.py <port-file>")
    server = Server(("127.0.0.1", 0), Handler)
    with open(sys.argv[1] + ".new", "w") as port_file:
        port_file.write("%d\n" % server.server_address[1])
    os.replace(sys.argv[1] + ".new", sys.argv[1])
    server.serve_forever()


if __name__ == "__main__":
    main()
