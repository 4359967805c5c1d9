// What chats and forums make of a message they are sent, by the formatters they use (from npm:
// tests/browser/package.json). Reads one JSON string a line (a message) on standard input and
// writes one JSON object a line: for each formatter, the HTML a chat shows, or for Telegram, whose
// clients send the text without its markers, that text. cmark-gfm, GitHub's, is Debian's program:
// check_formatters.py runs it.
import { createRequire } from "node:module";
import { createInterface } from "node:readline";

import * as commonmark from "commonmark";
import MarkdownIt from "markdown-it";
import { Marked } from "marked";

const require = createRequire(import.meta.url);
const SimpleMarkdown = require("simple-markdown");
const { MarkdownParser } = require("telegram/extensions/markdown");
const { MarkdownV2Parser } = require("telegram/extensions/markdownv2");

// Matrix/Element and most forums: CommonMark, links found in bare text, quotes and dashes made
// typographic.
const markdownIt = new MarkdownIt({ linkify: true, typographer: true });
const commonmarkReader = new commonmark.Parser({ smart: true });
const commonmarkWriter = new commonmark.HtmlRenderer();
// GitHub-flavoured, as chats that take a line break as one.
const marked = new Marked({ gfm: true, breaks: true });

// Discord: simple-markdown's rules with its spoilers, inline, as a message is parsed.
const discordRules = {
    ...SimpleMarkdown.defaultRules,
    spoiler: {
        order: SimpleMarkdown.defaultRules.del.order,
        match: SimpleMarkdown.inlineRegex(/^\|\|([\s\S]+?)\|\|/),
        parse: (capture, parse, state) => ({ content: parse(capture[1], state) }),
        html: (node, output, state) => `<span class="spoiler">${output(node.content, state)}</span>`,
    },
};
const discordParse = SimpleMarkdown.parserFor(discordRules);
const discordOutput = SimpleMarkdown.outputFor(discordRules, "html");
const discord = (text) => discordOutput(discordParse(text, { inline: true }));

const render = (text) => ({
    "markdown-it": markdownIt.render(text),
    commonmark: commonmarkWriter.render(commonmarkReader.parse(text)),
    marked: marked.parse(text),
    "simple-markdown": discord(text),
    telegram: MarkdownParser.parse(text)[0],
    "telegram-v2": MarkdownV2Parser.parse(text)[0],
});

for await (const line of createInterface({ input: process.stdin, crlfDelay: Infinity }))
    process.stdout.write(JSON.stringify(render(JSON.parse(line))) + "\n");
