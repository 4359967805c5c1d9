// The page's script as ESLint's recommended rules have it, with the browser's names and nothing
// else: strict mode throughout, no name left undefined or unused, nothing unreachable. The script
// is read out of the built page, as the browser runs it, with the wording and the WebAssembly in.
// Usage: node check_page_script.mjs PAGE
import js from "@eslint/js";
import { ESLint } from "eslint";
import globals from "globals";
import { readFileSync } from "node:fs";

const page = readFileSync(process.argv[2], "utf8");
const scripts = [...page.matchAll(/<script>([\s\S]*?)<\/script>/g)].map((match) => match[1]);
if (scripts.length === 0) {
    console.log(`FAIL: ${process.argv[2]} has no script`);
    process.exit(1);
}
const eslint = new ESLint({
    overrideConfigFile: true,
    overrideConfig: [
        js.configs.recommended,
        {
            languageOptions: { ecmaVersion: 2022, sourceType: "script", globals: globals.browser },
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
let problems = 0;
for (const [n, script] of scripts.entries()) {
    for (const result of await eslint.lintText(script, { filePath: `page-script-${n + 1}.js` })) {
        for (const m of result.messages) {
            console.log(`${result.filePath}:${m.line}:${m.column}: ${m.message} (${m.ruleId})`);
            ++problems;
        }
    }
}
console.log(problems ? `FAIL: ${problems} problems` : `PASS: ${scripts.length} script, no problem`);
process.exit(problems ? 1 : 0);
