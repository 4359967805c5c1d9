#!/usr/bin/env python3
"""The site, as a sender publishes it and a recipient uses it on a phone: the release's folder on a
real web host (nginx on 127.0.0.1, under a folder of its own, as on GitHub Pages), opened in one
engine. Chromium's own checks find it installable, with a manifest that parses without errors;
after one visit, with the host stopped, the page opens again and hand-worked known answers encode
and decode exactly, both copies included; new files on the host show on the next load; and the
page asks for nothing but its own files, and keeps nothing but their copy.

Usage: check_site.py ENGINE SITE WORK"""

import json
import os
import re
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import checks  # noqa: E402
import engines  # noqa: E402
from checks import check  # noqa: E402
from engines import js  # noqa: E402
from host import Host  # noqa: E402
from rules import KNOWN_ANSWERS  # noqa: E402

ENGINE = sys.argv[1]
SITE, WORK = (os.path.abspath(a) for a in sys.argv[2:4])
FOLDER = "zentolar/"


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    published = os.path.join(WORK, "www", FOLDER)
    shutil.copytree(SITE, published)
    files = sorted(os.listdir(published))
    host = Host(os.path.join(WORK, "www"), WORK)
    host.start()
    netlog = os.path.join(WORK, "netlog.json")
    options = {"arguments": ["--log-net-log=" + netlog]} if ENGINE == "chromium" else {}
    try:
        with engines.engine(ENGINE, os.path.join(WORK, ENGINE), **options) as browser:
            run(browser, host, published, files)
    finally:
        host.stop()

    # Every address asked of the host is one of the site's files (the folder's own for the page).
    own = {"/" + FOLDER} | {"/" + FOLDER + name for name in files}
    asked = host.requests()
    check("the host was asked for the site's own files and nothing else", asked and set(asked) <= own,
          sorted(set(asked) - own) or asked)
    if ENGINE == "chromium":
        with open(netlog) as f:
            log = json.load(f)
        started = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
        from_pages = {e["params"]["url"] for e in log["events"] if "url" in e.get("params", {})
                      and e["type"] == started and e["params"].get("initiator", "not an origin") != "not an origin"}
        check("Chromium's network log holds requests for the site's own files alone",
              from_pages and all(url.startswith(host.url()) and url[len(host.url()) - 1:] in own for url in from_pages),
              sorted(from_pages))
    return checks.status()


def run(b, host, published, files):
    url = host.url(FOLDER)

    def load(expect_key=True):
        b.open(url)
        b.wait("window.KeyPrompt && KeyPrompt.open" if expect_key else "document.readyState === 'complete'")
        return b.evaluate("document.getElementById('Version').textContent")

    version = load()
    check("the page shows its version", re.fullmatch(r"Zentolar, versión \d+\.\d+", version), version)
    works = b.evaluate("'serviceWorker' in navigator")
    if not works:
        print(f"SKIP: {ENGINE} runs no service worker here: the site works as the page does, online only")
        return
    b.wait("navigator.serviceWorker.controller", 30)
    check("after the first visit the service worker keeps the page",
          b.evaluate("navigator.serviceWorker.controller.scriptURL") == url + "sw.js")

    if ENGINE == "chromium":
        errors = b.page.send("Page.getInstallabilityErrors")["installabilityErrors"]
        check("Chromium's installability check reports nothing", errors == [], errors)
        manifest = b.page.send("Page.getAppManifest")
        parsed = json.loads(manifest.get("data") or "{}")
        check("the manifest parses without errors", manifest["errors"] == [] and parsed, manifest["errors"])
        purposes = sorted((icon["sizes"], icon.get("purpose", "any")) for icon in parsed.get("icons", []))
        check("the manifest names the program, in Spanish, standalone, with its icons at 192 and 512 pixels, "
              "maskable ones among them",
              [parsed.get(k) for k in ("name", "lang", "display", "start_url")] == ["Zentolar", "es", "standalone", "./"]
              and purposes == [("192x192", "any"), ("192x192", "maskable"), ("512x512", "any"), ("512x512", "maskable")],
              [parsed.get(k) for k in ("name", "lang", "display", "start_url")] + [purposes])

    def kept():
        """The worker's copies, by name, with the addresses each holds."""
        return b.evaluate("""(async () => {
            const kept = {};
            for (const name of await caches.keys())
                kept[name] = (await (await caches.open(name)).keys()).map((r) => r.url).sort();
            return kept;
        })()""")

    # The copy holds the site's files (the page under the folder's address), the worker aside: the
    # browser keeps that itself.
    expected = sorted(url + ("" if name == "index.html" else name) for name in files if name != "sw.js")
    engines.wait_until("the worker's copy", lambda: list(kept().values()) == [expected], 30)
    check("the worker keeps one copy, of the site's own files", list(kept().values()) == [expected], kept())
    storage = b.evaluate("""(async () => [document.cookie, localStorage.length, sessionStorage.length,
        (await indexedDB.databases()).length])()""")
    check("no cookie, local or session storage or IndexedDB", storage == ["", 0, 0, 0], storage)
    policy = b.evaluate("document.querySelector('meta[http-equiv=Content-Security-Policy]').content")
    check("the policy lets in the manifest, the icons and the worker from the page's own origin alone",
          all(f"{what} 'self'" in policy for what in ("manifest-src", "worker-src", "img-src"))
          and "default-src 'none'" in policy, policy)
    refused = b.evaluate("""(async () => {
        const tries = [];
        for (const address of ['manifest.webmanifest', '/elsewhere'])
            try { await fetch(address); tries.push('sent'); } catch { tries.push('refused'); }
        return tries;
    })()""")
    check("the page's own policy refuses a request, even for the site's own files", refused == ["refused", "refused"],
          refused)

    # The network gone: the page opens from the copy and works.
    host.stop()
    check("with the host stopped, the page opens again", load() == version)
    known_answers(b)

    # A new release on the host: the next load shows it, and the copy becomes the new release's.
    with open(os.path.join(published, "index.html"), encoding="utf-8") as f:
        page = f.read()
    newer = version + ".1"
    with open(os.path.join(published, "index.html"), "w", encoding="utf-8") as f:
        f.write(page.replace(f'<p id="Version">{version}</p>', f'<p id="Version">{newer}</p>'))
    worker = os.path.join(published, "sw.js")
    with open(worker, encoding="utf-8") as f:
        script = f.read()
    release = re.search(r'const RELEASE = "([^"]+)";', script).group(1)
    with open(worker, "w", encoding="utf-8") as f:
        f.write(script.replace(release, release + ".1"))
    host.start()
    check("after a new release is put on the host, the next load shows it", load() == newer)
    try:
        engines.wait_until("the new release's copy", lambda: [n.endswith(release + ".1") for n in kept()] == [True], 30)
    except engines.Failure:
        print("KEPT:", {n: len(v) for n, v in kept().items()})
        raise
    host.stop()
    check("the old release's copy is gone and the new one opens with the host stopped",
          len(kept()) == 1 and load() == newer, kept())
    known_answers(b)


def known_answers(b):
    """Hand-worked known answers, typed in as a user would, with the copy controls' copies."""
    def copied(button):
        b.set_clipboard("nada copiado")
        b.tap(button)
        b.wait("Status.textContent !== ''")
        return b.clipboard()

    b.evaluate("(KeyLine.focus(), 0)")
    b.type("Clave")
    b.tap("#KeyOk")
    b.wait("!KeyPrompt.open && !document.getElementById('Form1').hidden")
    for key, _, text, encoded, copy in KNOWN_ANSWERS:
        b.tap("#Command4")
        b.wait("KeyPrompt.open")
        b.type(key)
        b.tap("#KeyOk")
        b.wait("!KeyPrompt.open")
        b.evaluate(f"(Fields.setText(Fields.plain, {js(text)}), Fields.setText(Fields.encoded, ''), 0)")
        b.tap("#Command1")
        case = f"{text!r} under {key!r}"
        check(f"{case} encodes to {encoded!r}", b.evaluate("Text3.value") == encoded, repr(b.evaluate("Text3.value")))
        check(f"{case}: the encoded copy is {copy!r}, the plain copy the text",
              [copied("#Copy3"), copied("#Copy1")] == [copy, text])
        b.evaluate("(Fields.setText(Fields.plain, ''), 0)")
        b.tap("#Command2")
        check(f"{case} decodes back", b.evaluate("Text1.value") == text)


sys.exit(main())
