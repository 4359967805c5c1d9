// The page's script as ESLint's recommended rules have it, with the browser's names and nothing
// else: strict mode throughout, no name left undefined or unused, nothing unreachable. The script
// is read out of the built page, as the browser runs it, with the wording and the WebAssembly in;
// the site's service worker as built too, with a worker's names.
// Usage: node check_page_script.mjs PAGE WORKER
import js from "@eslint/js";
import { ESLint } from "eslint";
import globals from "globals";
import { readFileSync } from "node:fs";

const page = readFileSync(process.argv[2], "utf8");
const scripts = [...page.matchAll(/<script>([\s\S]*?)<\/script>/g)].map((match) => match[1]);
const worker = readFileSync(process.argv[3], "utf8");
if (scripts.length === 0) {
    console.log(`FAIL: ${process.argv[2]} has no script`);
    process.exit(1);
}
const linter = (names) => new ESLint({
    overrideConfigFile: true,
    overrideConfig: [
        js.configs.recommended,
        {
            languageOptions: { ecmaVersion: 2022, sourceType: "script", globals: names },
            linterOptions: { reportUnusedDisableDirectives: "error" },
            rules: {
                strict: ["error", "global"],
                eqeqeq: "error",
                "prefer-const": "error",
                "no-var": "error",
            },
        },
    ],
});
const sources = [...scripts.map((script, n) => [script, `page-script-${n + 1}.js`, globals.browser]),
    [worker, "sw.js", globals.serviceworker]];
let problems = 0;
for (const [script, filePath, names] of sources) {
    for (const result of await linter(names).lintText(script, { filePath })) {
        for (const m of result.messages) {
            console.log(`${result.filePath}:${m.line}:${m.column}: ${m.message} (${m.ruleId})`);
            ++problems;
        }
    }
}
console.log(problems ? `FAIL: ${problems} problems` : `PASS: ${sources.length} scripts, no problem`);
process.exit(problems ? 1 : 0);
