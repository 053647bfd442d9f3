#!/usr/bin/python3
"""Drives headless Chromium over its DevTools protocol through the "add a
folder share" page: French labels, a new share posted through the form, the
library's redirect page followed back to the list, then the page in English.

Exits 1 with a message on the first mismatch.

    drive_browser.py --port PORT --url URL [--screenshot FILE]
"""
import argparse
import base64
import json
import sys
import time
import urllib.request

import websocket

FRENCH = "fr-FR,fr;q=0.9,en;q=0.8"
ENGLISH = "en-US,en;q=0.9"
# Texts the form must carry through unchanged: HTML and form-encoding
# specials, a non-ASCII letter, and mark-up that must stay text.
NEW_SHARE = ("Holiday Photos & Más", "a=b; c%d +1 <script>document.title='x'</script>")
EXPECTED_LABELS = {
    "fr": {"title": "Ajouter un dossier partagé", "nameLabel": "Nom du partage",
           "listTitle": "Partages existants"},
    "en": {"title": "Add a folder share", "nameLabel": "Share name",
           "listTitle": "Existing shares"},
}


class Mismatch(Exception):
    pass


class DevTools:
    """One page target: commands with their replies, events kept in order."""

    def __init__(self, ws_url):
        self.ws = websocket.create_connection(ws_url, timeout=10, suppress_origin=True)
        self.next_id = 0
        self.events = []

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]
            if "method" in message:
                self.events.append(message)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError(result["exceptionDetails"].get("text", "script error"))
        return result["result"].get("value")

    def close(self):
        self.ws.close()


def wait_for_browser(port, seconds=10):
    deadline = time.monotonic() + seconds
    while True:
        try:
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=1) as reply:
                pages = [t for t in json.load(reply) if t.get("type") == "page"]
            if pages:
                return pages[0]["webSocketDebuggerUrl"]
        except OSError:
            pass
        if time.monotonic() > deadline:
            raise Mismatch(f"Chromium's DevTools did not answer on port {port}")
        time.sleep(0.1)


def wait_until(tools, condition, what, seconds=10):
    """Polls a script condition; a navigation in progress just means not yet."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            if tools.evaluate(condition):
                return
        except RuntimeError:
            pass
        time.sleep(0.05)
    raise Mismatch(f"timed out waiting for {what} (at {tools.evaluate('location.href')})")


def open_page(tools, url, accept_language):
    tools.call("Network.setExtraHTTPHeaders", headers={"Accept-Language": accept_language})
    tools.evaluate("window.__previous = true")
    tools.call("Page.navigate", url=url)
    wait_for_new_page(tools, "the page at " + url)


def wait_for_new_page(tools, what):
    # The marker lives on the old document only: gone means a new one.
    wait_until(tools, "!window.__previous && document.readyState === 'complete'"
               " && document.getElementById('shares') !== null", what)


def page_state(tools):
    return tools.evaluate("""(() => {
      const text = id => document.getElementById(id).textContent;
      return {
        lang: document.documentElement.lang,
        labels: {title: text('title'), nameLabel: text('nameLabel'),
                 listTitle: text('listTitle')},
        error: text('error'),
        rows: Array.from(document.querySelectorAll('#shares tr')).map(
            tr => Array.from(tr.cells).map(td => td.textContent)),
        scripts: document.querySelectorAll('body script').length,
      };
    })()""")


def expect(what, got, wanted):
    if got != wanted:
        raise Mismatch(f"{what}: got {got!r}, expected {wanted!r}")


def check_language(state, lang):
    expect("page language", state["lang"], lang)
    expect(f"labels in {lang}", state["labels"], EXPECTED_LABELS[lang])


def submit(tools, name, description):
    tools.evaluate(f"""(() => {{
      document.getElementById('shareName').value = {json.dumps(name)};
      document.getElementById('description').value = {json.dumps(description)};
      window.__previous = true;
      document.getElementById('submit').click();
    }})()""")


def posts_seen(tools):
    """The POST requests sent since the last call: (content type, body)."""
    posts = []
    for event in tools.events:
        if event["method"] != "Network.requestWillBeSent":
            continue
        request = event["params"]["request"]
        if request["method"] == "POST":
            content_type = request["headers"].get("Content-Type", "")
            posts.append((content_type.split(";")[0], request.get("postData", "")))
    tools.events.clear()
    return posts


def add_share_in_french(tools, url):
    open_page(tools, url, FRENCH)
    before = page_state(tools)
    check_language(before, "fr")
    posts_seen(tools)
    submit(tools, *NEW_SHARE)
    wait_for_new_page(tools, "the list after the redirect page")
    after = page_state(tools)
    check_language(after, "fr")
    expect("error text", after["error"], "")
    expect("scripts in the page", after["scripts"], 0)
    expect("rows after adding", after["rows"], before["rows"] + [list(NEW_SHARE)])
    # The form, then the redirect page's empty re-post.
    posts = posts_seen(tools)
    expect("POST requests", [kind for kind, _ in posts],
           ["application/x-www-form-urlencoded", "multipart/form-data"])
    print(f"fr: form body {posts[0][1]}")
    print(f"fr: {len(before['rows'])} shares, then {NEW_SHARE[0]!r} added through the redirect")
    return after["rows"]


def check_english(tools, url, rows):
    open_page(tools, url, ENGLISH)
    state = page_state(tools)
    check_language(state, "en")
    expect("rows in English", state["rows"], rows)
    # A second share of the same name is refused with a translated message.
    submit(tools, NEW_SHARE[0], "again")
    wait_for_new_page(tools, "the page after a refused share")
    state = page_state(tools)
    expect("refusal", state["error"], "A share of that name exists already.")
    expect("rows after the refusal", state["rows"], rows)
    print("en: English labels, same rows, duplicate refused")


def screenshot(tools, path):
    data = tools.call("Page.captureScreenshot", format="png")["data"]
    with open(path, "wb") as out:
        out.write(base64.b64decode(data))
    print(path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--url", required=True)
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    tools = DevTools(wait_for_browser(args.port))
    try:
        for domain in ("Page", "Network", "Runtime"):
            tools.call(domain + ".enable")
        rows = add_share_in_french(tools, args.url)
        check_english(tools, args.url, rows)
        if args.screenshot:
            open_page(tools, args.url, FRENCH)
            screenshot(tools, args.screenshot)
    except Mismatch as error:
        print(f"browser check failed: {error}", file=sys.stderr)
        return 1
    finally:
        try:
            tools.call("Browser.close")
        except Exception:  # the browser may be gone already
            pass
        tools.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
