// Loads some of the page's script files (page/script/), joined in their order as the build joins
// them, into a context of their own, and gives back the names asked for: the parts that need no
// browser are tested here without one.
import { readFileSync } from "node:fs";
import vm from "node:vm";

const folder = new URL("../../page/script/", import.meta.url);

export function load(files, names) {
    const script = files.map((file) => readFileSync(new URL(`${file}.js`, folder), "utf8")).join("");
    return vm.runInNewContext(`${script}\n({ ${names.join(", ")} });`, {});
}
