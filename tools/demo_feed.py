#!/usr/bin/env python3
"""The demo news feed: a news page on loopback, in the format the notifier reads,
with a new item every minute (or every --period seconds); with --update-folder, also the
files of that folder under /update/ (the demo update's control file and its texts)."""
import argparse
import datetime
import http.server
import os
import urllib.parse

NEWS = [
    "Ráno se všichni sešli u snídaně, Petra upekla koláč.",
    "Na zahradě vily začala nová soutěž o imunitu.",
    "Tomáš a Jana si večer dlouho povídali u bazénu.",
    "Žluťoučký kůň úpěl ďábelské ódy – nový úkol týdne.",
    "Do vily dorazil nečekaný host, obyvatelé jsou zvědaví.",
    "Hlasování diváků skončilo, výsledky budou v neděli.",
]

PAGE_PATH = "/index.php/zpravodajstvy"


def news_items(now, period):
    """The newest items first: one per period, each with its time of day and text."""
    tick = int(now.timestamp()) // period
    items = []
    for age in range(5):
        posted = datetime.datetime.fromtimestamp((tick - age) * period)
        items.append((posted.strftime("%H:%M"), NEWS[(tick - age) % len(NEWS)]))
    return items


def page(items):
    rows = []
    for time_of_day, text in items:
        # The time stands at the 25th character of the row's first line.
        rows.append("<tr>\n       <td class=\"date\">%s</td>\n<td>%s</td>\n</tr>"
                    % (time_of_day, urllib.parse.quote(text.encode("utf-8"))))
    return ("<html><head><meta charset=\"utf-8\"><title>Zpravodajství z vily</title></head><body>\n"
            "<h1>Zpravodajství</h1>\n<table class=\"news\">\n%s\n</table>\n</body></html>\n"
            % "\n".join(rows))


def update_file(folder, path):
    """The file of the update folder that an /update/NAME request names, or None."""
    name = path[len("/update/"):] if path.startswith("/update/") else ""
    if not name or "/" in name or name.startswith("."):
        return None
    candidate = os.path.join(folder, name)
    return candidate if os.path.isfile(candidate) else None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=8765)
    parser.add_argument("--period", type=int, default=60, help="seconds between new items")
    parser.add_argument("--update-folder", help="folder whose files are served under /update/")
    args = parser.parse_args()

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            path = urllib.parse.urlsplit(self.path).path
            if path == PAGE_PATH:
                self.reply(page(news_items(datetime.datetime.now(), args.period)).encode("utf-8"),
                           "text/html; charset=utf-8")
            elif args.update_folder and update_file(args.update_folder, path):
                with open(update_file(args.update_folder, path), "rb") as served:
                    self.reply(served.read(), "application/octet-stream")
            else:
                self.send_error(404)

        def reply(self, body, content_type):
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *_):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    print("demo feed: http://127.0.0.1:%d%s" % (args.port, PAGE_PATH), flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
