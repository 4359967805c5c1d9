// The start: the core's WebAssembly made ready, then the form; and, served as a site, the copy
// of the site's files kept for use offline.

// The page's parts by name on the window, as a console reaches them, and a WebDriver whose scripts
// see the window but not this script's constants.
Object.assign(window, { W, Core, Shown, Fields, Form1, errorMessage });

// Served as a site (with its manifest), the page keeps its own files for use offline and takes a
// new release on the next load (sw.js). Never a reload of its own: the fields' texts stay.
function keepForOffline() {
    if (document.querySelector("link[rel=manifest]") && "serviceWorker" in navigator)
        navigator.serviceWorker.register("sw.js", { updateViaCache: "none" }).catch(() => {});
}

const bytes = Uint8Array.from(atob(WASM), (c) => c.charCodeAt(0));
WebAssembly.instantiate(bytes).then(({ instance }) => {
    Core.exports = instance.exports;
    start();
    keepForOffline();
}, () => {
    document.body.textContent = W.Unexpected;
});
