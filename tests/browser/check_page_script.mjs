// The page's script as ESLint's recommended rules have it, with the browser's names and nothing
// else: strict mode throughout, no name left undefined or unused, nothing unreachable. The script's
// source files are checked as the build joins them, in their order, into the page's one script, so
// that a name one file defines and another uses is found; each problem is told at its file and
// line. The site's service worker is checked as built, with a worker's names.
// Usage: node check_page_script.mjs WORKER SCRIPT...
import js from "@eslint/js";
import { ESLint } from "eslint";
import globals from "globals";
import { readFileSync } from "node:fs";
import { basename } from "node:path";

const [worker, ...scripts] = process.argv.slice(2);
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

// The joined script, and where each file's lines begin in it.
let joined = "";
const starts = [];
for (const file of scripts) {
    starts.push([joined.split("\n").length, basename(file)]);
    joined += readFileSync(file, "utf8");
}
const place = (line) => {
    const [first, file] = starts.findLast(([start]) => start <= line);
    return `page/script/${file}:${line - first + 1}`;
};

let problems = 0;
const report = (results, where) => {
    for (const result of results) {
        for (const m of result.messages) {
            console.log(`${where(m.line)}:${m.column}: ${m.message} (${m.ruleId})`);
            ++problems;
        }
    }
};
report(await linter(globals.browser).lintText(joined, { filePath: "page.js" }), place);
report(await linter(globals.serviceworker).lintText(readFileSync(worker, "utf8"), { filePath: "sw.js" }),
       (line) => `sw.js:${line}`);
console.log(problems ? `FAIL: ${problems} problems` : `PASS: ${scripts.length} script files and the worker, no problem`);
process.exit(problems ? 1 : 0);
